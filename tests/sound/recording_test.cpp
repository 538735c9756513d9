// Recording steps with the scripted player: the order of the player calls, the header written
// before each recording, and the failures handed to the window.
#include "core/waveheader.h"
#include "sound/recording.h"
#include "sound/sounderror.h"
#include "support/scriptedplayer.h"

#include <QFile>
#include <QTemporaryDir>

#include <vector>

#include <gtest/gtest.h>

namespace {

using Op = sound::ScriptedPlayer::Op;

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray RecordingHeader() {
    auto h = core::WaveHeader(2, 16, 44100);
    return QByteArray(reinterpret_cast<const char*>(h.data()), h.size());
}

class Recording : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString TempWav() const { return dir_.filePath(QStringLiteral("Temp.wav")); }
    sound::MessageFn Message() {
        return [this](const core::Status& failure) { messages_.push_back(failure); };
    }
    /// What each failure handed over was.
    std::vector<core::Failure> Said() const {
        std::vector<core::Failure> said;
        for (const core::Status& failure : messages_) {
            said.push_back(failure.what);
        }
        return said;
    }

    QTemporaryDir dir_;
    std::vector<core::Status> messages_;
};

TEST_F(Recording, CreateWavWritesOnlyTheHeaderAndReplacesAnOldFile) {
    QFile old(TempWav());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'o'));
    old.close();
    sound::CreateWav(2, 16, 44100, TempWav());
    EXPECT_EQ(ReadAll(TempWav()), RecordingHeader());
}

TEST_F(Recording, CreateWavFailureNamesTheFile) {
    QString bad = dir_.filePath(QStringLiteral("no/such/folder/Temp.wav"));
    try {
        sound::CreateWav(2, 16, 44100, bad);
        FAIL() << "created a file in a missing folder";
    } catch (const sound::SoundError& e) {
        EXPECT_NE(QString::fromStdString(e.what()).indexOf(bad), -1) << e.what();
    }
}

TEST_F(Recording, StartClosesPreparesTheFileThenRecords) {
    QFile old(TempWav());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(9000, 'o')); // an earlier recording
    old.close();
    sound::ScriptedPlayer player;
    ASSERT_TRUE(sound::StartRecording(player, TempWav(), Message()));
    EXPECT_EQ(player.Calls(),
              (QStringList{QStringLiteral("Close"), QStringLiteral("SetFileName ") + TempWav(),
                           QStringLiteral("Open"), QStringLiteral("Record")}));
    EXPECT_TRUE(player.IsRecording());
    EXPECT_EQ(ReadAll(TempWav()), RecordingHeader());
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Recording, StartFailuresShowTheDeviceMessageOnce) {
    for (Op op : {Op::Close, Op::Open, Op::Record}) {
        sound::ScriptedPlayer player;
        player.FailOn(op);
        messages_.clear();
        EXPECT_FALSE(sound::StartRecording(player, TempWav(), Message()));
        EXPECT_EQ(Said(), std::vector{core::Failure::SoundDeviceInit});
        EXPECT_FALSE(player.IsRecording());
    }
    // A file that cannot be written fails the same way, before the player opens anything.
    sound::ScriptedPlayer player;
    messages_.clear();
    EXPECT_FALSE(
        sound::StartRecording(player, dir_.filePath(QStringLiteral("x/y/Temp.wav")), Message()));
    EXPECT_EQ(Said(), std::vector{core::Failure::SoundDeviceInit});
    EXPECT_FALSE(player.Calls().contains(QStringLiteral("Open")));
}

TEST_F(Recording, FinishStopsSavesClosesThenPlaysTheRecording) {
    sound::ScriptedPlayer player;
    ASSERT_TRUE(sound::StartRecording(player, TempWav(), Message()));
    player.ClearCalls();
    auto end = sound::FinishRecording(player, TempWav(), Message());
    EXPECT_TRUE(end.saved);
    EXPECT_TRUE(end.playing);
    const QString name = QStringLiteral("SetFileName ") + TempWav();
    EXPECT_EQ(player.Calls(), (QStringList{QStringLiteral("Stop"), name, QStringLiteral("Save"),
                                           QStringLiteral("Close"), name, QStringLiteral("Open"),
                                           QStringLiteral("Play")}));
    EXPECT_EQ(player.Played(), QStringList{TempWav()});
    EXPECT_TRUE(messages_.empty());
}

TEST_F(Recording, FinishKeepingTheOpenNameSetsNoNameBeforeSaving) {
    sound::ScriptedPlayer player;
    ASSERT_TRUE(sound::StartRecording(player, TempWav(), Message()));
    player.ClearCalls();
    sound::FinishRecording(player, TempWav(), Message(), false);
    ASSERT_GE(player.Calls().size(), 3);
    EXPECT_EQ(player.Calls().mid(0, 3), (QStringList{QStringLiteral("Stop"), QStringLiteral("Save"),
                                                     QStringLiteral("Close")}));
}

TEST_F(Recording, SaveFailureShowsItsMessageAndStillPlaysBack) {
    for (Op op : {Op::Stop, Op::Save, Op::Close}) {
        sound::ScriptedPlayer player;
        ASSERT_TRUE(sound::StartRecording(player, TempWav(), Message()));
        player.FailOn(op);
        messages_.clear();
        auto end = sound::FinishRecording(player, TempWav(), Message());
        EXPECT_FALSE(end.saved);
        EXPECT_EQ(Said(), std::vector{core::Failure::SoundSave});
        // The playback is still tried, and here it works.
        EXPECT_TRUE(end.playing);
        EXPECT_EQ(player.Played(), QStringList{TempWav()});
    }
}

TEST_F(Recording, PlaybackFailureIsReportedNotThrown) {
    sound::ScriptedPlayer player;
    ASSERT_TRUE(sound::StartRecording(player, TempWav(), Message()));
    player.FailOn(Op::Play);
    sound::RecordingEnd end;
    EXPECT_NO_THROW(end = sound::FinishRecording(player, TempWav(), Message()));
    EXPECT_TRUE(end.saved);
    EXPECT_FALSE(end.playing);
    ASSERT_EQ(messages_.size(), 1);
    EXPECT_EQ(messages_[0].what, core::Failure::SoundUnplayable);
    EXPECT_EQ(messages_[0].file, TempWav().toStdString());
}

} // namespace
