// The pronunciation rule in every mode's variant, with a scripted player and speech and a
// temporary program folder holding a small sound index and sound folder.
#include "core/soundindex.h"
#include "core/studystate.h"
#include "sound/pronunciation.h"
#include "sound/sounderror.h"
#include "support/scriptedplayer.h"
#include "support/scriptedspeech.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using sound::Pronounced;
using sound::PronounceVariant;

// A program folder with "br.tif" and some of the files it names.
class SoundFolder {
public:
    SoundFolder() {
        appDir_ = dir_.path().toStdString() + "/";
        Write("br.tif", "[Other]\r\nghost=other.wav\r\n"
                        "[Mywav]\r\n"
                        "good=good0001.wav\r\n"
                        "Gate=Gate01.wav\r\n"
                        "ghost=ghost01.wav\r\n"
                        "apple=xapple.wav\r\n"
                        "big=big01.wav\r\n");
        Write("br/g/good0001.wav", "RIFF");
        Write("br/G/Gate01.wav", "RIFF");
        Write("br/x/xapple.wav", "RIFF");
        Write("br/b/big01.wav", "RIFF");
        EXPECT_TRUE(index_.Open(appDir_ + "br.tif"));
    }
    const std::string& AppDir() const { return appDir_; }
    const core::SoundIndexFile& Index() const { return index_; }
    // The path as the program builds it: the folder's own "/" and then "/br/".
    QString Sound(const char* rest) const {
        return QString::fromStdString(appDir_ + "/br/" + rest);
    }

private:
    void Write(const QString& name, const QByteArray& bytes) {
        QString path = dir_.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QTemporaryDir dir_;
    std::string appDir_;
    core::SoundIndexFile index_;
};

enum class Expect { Speak, Play, Throw, Silent };

struct Case {
    const char* name;
    PronounceVariant variant;
    const char* word;
    const char* entry;
    const char* cardSoundFile;
    const char* spokenText;
    Expect expect;
    const char* path;   // below AppDir + "/br/" where a file is tried
    const char* spoken; // what speech gets
};

class PronounceVariants : public ::testing::TestWithParam<Case> {};

TEST_P(PronounceVariants, LooksUpPicksFolderTestsAndFallsBack) {
    const Case& c = GetParam();
    SoundFolder folder;
    ASSERT_FALSE(folder.Index().empty());
    sound::ScriptedPlayer player;
    player.SetCheckFiles(true);
    sound::ScriptedSpeech speech;
    std::vector<core::Status> messages;

    sound::PronounceRequest request;
    request.variant = c.variant;
    request.word = c.word;
    request.entry = c.entry;
    request.cardSoundFile = c.cardSoundFile;
    request.spokenText = c.spokenText;
    auto run = [&] {
        return sound::PronounceWord(request, folder.AppDir(), folder.Index(), player, &speech,
                                    [&](const core::Status& m) { messages.push_back(m); });
    };

    switch (c.expect) {
    case Expect::Speak: {
        auto result = run();
        EXPECT_EQ(result.how, Pronounced::Spoken);
        ASSERT_EQ(speech.Texts().size(), 1u);
        EXPECT_EQ(speech.Texts()[0], c.spoken);
        EXPECT_TRUE(player.Played().isEmpty());
        if (c.path[0] == '\0') {
            // Nothing named: the player is not touched at all.
            EXPECT_TRUE(player.Calls().isEmpty()) << player.Calls().join('|').toStdString();
        }
        break;
    }
    case Expect::Play: {
        auto result = run();
        EXPECT_EQ(result.how, Pronounced::Played);
        EXPECT_EQ(result.path, folder.Sound(c.path));
        EXPECT_EQ(player.Played(), QStringList{folder.Sound(c.path)});
        EXPECT_TRUE(speech.Texts().empty());
        // File name, open, play: in that order, as the last three calls.
        QStringList calls = player.Calls();
        ASSERT_GE(calls.size(), 3);
        EXPECT_EQ(calls.mid(calls.size() - 3),
                  (QStringList{QStringLiteral("SetFileName ") + folder.Sound(c.path),
                               QStringLiteral("Open"), QStringLiteral("Play")}));
        break;
    }
    case Expect::Throw:
        try {
            run();
            ADD_FAILURE() << c.name << ": the failed open did not reach the caller";
        } catch (const sound::SoundError& e) {
            EXPECT_NE(std::string(e.what()).find(folder.Sound(c.path).toStdString()),
                      std::string::npos)
                << e.what();
        }
        EXPECT_TRUE(speech.Texts().empty());
        EXPECT_TRUE(player.Played().isEmpty());
        break;
    case Expect::Silent: {
        auto result = run();
        EXPECT_EQ(result.how, Pronounced::Silent);
        EXPECT_EQ(result.path, folder.Sound(c.path));
        EXPECT_TRUE(speech.Texts().empty());
        EXPECT_TRUE(player.Played().isEmpty());
        break;
    }
    }
    EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, PronounceVariants,
    ::testing::Values(
        // Flash card put up: entry's letter, no existence test.
        Case{"card played", PronounceVariant::CardNext, "good", "good[gud]adj.好的", "", "",
             Expect::Play, "g/good0001.wav", ""},
        Case{"card absent word", PronounceVariant::CardNext, "absent", "absent[x]y", "", "",
             Expect::Speak, "", "absent"},
        Case{"card missing file", PronounceVariant::CardNext, "ghost", "ghost[g]n.鬼", "", "",
             Expect::Throw, "g/ghost01.wav", ""},
        // The letter comes from the entry, not from the value.
        Case{"card entry letter", PronounceVariant::CardNext, "apple", "apple[A]n.苹果", "", "",
             Expect::Throw, "a/xapple.wav", ""},
        // "不清楚": the stored value, its own letter; no second lookup.
        Case{"unclear played", PronounceVariant::CardUnclear, "apple", "apple[A]n.苹果",
             "xapple.wav", "", Expect::Play, "x/xapple.wav", ""},
        Case{"unclear no value", PronounceVariant::CardUnclear, "good", "good[gud]adj.好的", "", "",
             Expect::Speak, "", "good"},
        Case{"unclear missing", PronounceVariant::CardUnclear, "ghost", "ghost[g]n.鬼",
             "ghost01.wav", "", Expect::Throw, "g/ghost01.wav", ""},
        // Browse: the value's letter, a missing file is spoken (the label text, spaces and all).
        Case{"browse played", PronounceVariant::Browse, "apple", " apple ", "", " apple ",
             Expect::Play, "x/xapple.wav", ""},
        Case{"browse missing", PronounceVariant::Browse, "ghost", " ghost ", "", " ghost ",
             Expect::Speak, "g/ghost01.wav", " ghost "},
        Case{"browse absent", PronounceVariant::Browse, "absent", " absent ", "", " absent ",
             Expect::Speak, "", " absent "},
        // Recording: the entry's letter; a missing file stays silent.
        Case{"recording played", PronounceVariant::Recording, "good", "good[gud]adj.好的", "", "",
             Expect::Play, "g/good0001.wav", ""},
        Case{"recording missing", PronounceVariant::Recording, "ghost", "ghost[g]n.鬼", "", "",
             Expect::Silent, "g/ghost01.wav", ""},
        Case{"recording absent", PronounceVariant::Recording, "absent", "absent[x]y", "", "",
             Expect::Speak, "", "absent"},
        // Spelling: the entry's letter in its own case.
        Case{"spelling upper", PronounceVariant::Spelling, "Gate", "Gate[geit]n.门", "", "",
             Expect::Play, "G/Gate01.wav", ""},
        Case{"spelling lower entry", PronounceVariant::Spelling, "gate", "gate[geit]n.门", "", "",
             Expect::Throw, "g/Gate01.wav", ""},
        Case{"spelling absent", PronounceVariant::Spelling, "absent", "absent[x]y", "", "",
             Expect::Speak, "", "absent"},
        // Choice test: the entry's letter; a missing file is spoken.
        Case{"choice played", PronounceVariant::ChoiceTest, "big", "big[big]adj.大的", "", "",
             Expect::Play, "b/big01.wav", ""},
        Case{"choice missing", PronounceVariant::ChoiceTest, "ghost", "ghost[g]n.鬼", "", "",
             Expect::Speak, "g/ghost01.wav", "ghost"},
        Case{"choice wrong case folder", PronounceVariant::ChoiceTest, "GATE", "gate[g]n.门", "",
             "", Expect::Speak, "g/Gate01.wav", "GATE"}),
    [](const ::testing::TestParamInfo<Case>& info) {
        std::string name = info.param.name;
        for (char& ch : name) {
            if (ch == ' ') {
                ch = '_';
            }
        }
        return name;
    });

TEST(PronounceWord, AWordAbsentFromTheIndexIsSpokenInEveryVariant) {
    SoundFolder folder;
    for (auto variant :
         {PronounceVariant::CardNext, PronounceVariant::Browse, PronounceVariant::Recording,
          PronounceVariant::Spelling, PronounceVariant::ChoiceTest}) {
        sound::ScriptedPlayer player;
        sound::ScriptedSpeech speech;
        sound::PronounceRequest request;
        request.variant = variant;
        request.word = "nowhere";
        request.entry = "nowhere[x]y";
        auto result =
            sound::PronounceWord(request, folder.AppDir(), folder.Index(), player, &speech);
        EXPECT_EQ(result.how, Pronounced::Spoken) << static_cast<int>(variant);
        EXPECT_EQ(speech.Texts(), std::vector<std::string>{"nowhere"});
        EXPECT_TRUE(player.Calls().isEmpty());
    }
}

TEST(PronounceWord, ReturnsTheValueReadForTheCard) {
    SoundFolder folder;
    sound::ScriptedPlayer player;
    sound::ScriptedSpeech speech;
    sound::PronounceRequest request;
    request.word = "  GOOD ";
    request.entry = "good[gud]adj.好的";
    auto result = sound::PronounceWord(request, folder.AppDir(), folder.Index(), player, &speech);
    EXPECT_EQ(result.value, "good0001.wav");
    request.word = "absent";
    EXPECT_EQ(sound::PronounceWord(request, folder.AppDir(), folder.Index(), player, &speech).value,
              "");
}

TEST(PronounceWord, RecordingVariantClosesFirstAndReportsDeviceFailures) {
    SoundFolder folder;
    sound::ScriptedPlayer player;
    sound::ScriptedSpeech speech;
    std::vector<core::Failure> messages;
    sound::PronounceRequest request;
    request.variant = PronounceVariant::Recording;
    request.word = "good";
    request.entry = "good[gud]adj.好的";
    auto message = [&](const core::Status& m) { messages.push_back(m.what); };

    sound::PronounceWord(request, folder.AppDir(), folder.Index(), player, &speech, message);
    ASSERT_FALSE(player.Calls().isEmpty());
    EXPECT_EQ(player.Calls().first(), QStringLiteral("Close"));
    EXPECT_TRUE(messages.empty());

    for (auto op : {sound::ScriptedPlayer::Op::Close, sound::ScriptedPlayer::Op::Open,
                    sound::ScriptedPlayer::Op::Play}) {
        sound::ScriptedPlayer failing;
        failing.FailOn(op);
        messages.clear();
        auto result = sound::PronounceWord(request, folder.AppDir(), folder.Index(), failing,
                                           &speech, message);
        EXPECT_EQ(result.how, Pronounced::Failed);
        EXPECT_EQ(messages, std::vector{core::Failure::SoundDeviceInit});
        EXPECT_TRUE(failing.Played().isEmpty());
    }
    EXPECT_TRUE(speech.Texts().empty());
}

TEST(PronounceWord, FromTheSharedStateUsesItsFolderIndexVoiceAndEntry) {
    SoundFolder folder;
    core::StudyState state;
    state.AppDir = folder.AppDir();
    state.SoundIndex = folder.Index();
    sound::ScriptedSpeech speech;
    state.Voice = &speech;
    state.CurrentEntry = "Gate[geit]n.门";
    sound::ScriptedPlayer player;

    auto pronounce = [&](PronounceVariant variant, const std::string& word,
                         const std::string& cardSoundFile = {}, const std::string& spoken = {}) {
        sound::PronounceRequest request;
        request.variant = variant;
        request.word = word;
        request.entry = state.CurrentEntry;
        request.cardSoundFile = cardSoundFile;
        request.spokenText = spoken;
        return sound::PronounceWord(request, state.AppDir, state.SoundIndex, player, state.Voice);
    };
    auto played = pronounce(PronounceVariant::Spelling, "Gate");
    EXPECT_EQ(played.how, Pronounced::Played);
    EXPECT_EQ(player.Played(), QStringList{folder.Sound("G/Gate01.wav")});

    pronounce(PronounceVariant::Browse, "absent", {}, " absent ");
    EXPECT_EQ(speech.Texts(), std::vector<std::string>{" absent "});

    auto unclear = pronounce(PronounceVariant::CardUnclear, "apple", "xapple.wav");
    EXPECT_EQ(unclear.path, folder.Sound("x/xapple.wav"));
}

TEST(SoundPaths, JoinedAsWrittenWithTheDoubledSeparator) {
    EXPECT_EQ(sound::SoundFilePath("/opt/ljt/", "g", "good0001.wav"),
              QStringLiteral("/opt/ljt//br/g/good0001.wav"));
    EXPECT_EQ(sound::SoundFilePath("/opt/ljt/", "G", "Gate.wav"),
              QStringLiteral("/opt/ljt//br/G/Gate.wav"));
    EXPECT_EQ(sound::PraiseSound("/opt/ljt/"), QStringLiteral("/opt/ljt/br/g/good0001.wav"));
    EXPECT_EQ(sound::TempWav("/opt/ljt/"), QStringLiteral("/opt/ljt/Temp.wav"));
    // Program folders with non-ASCII names.
    EXPECT_EQ(sound::TempWav("/home/学生/ljt/"), QStringLiteral("/home/学生/ljt/Temp.wav"));
}

TEST(SoundPaths, FolderLetterIsOneWholeCharacterInItsCase) {
    EXPECT_EQ(sound::FolderLetter("good[gud]"), "g");
    EXPECT_EQ(sound::FolderLetter("Good"), "G");
    EXPECT_EQ(sound::FolderLetter("x"), "x");
    EXPECT_EQ(sound::FolderLetter(""), "");
    EXPECT_EQ(sound::FolderLetter("中文"), "中");
    EXPECT_EQ(sound::FolderLetter("éa"), "é");
}

} // namespace
