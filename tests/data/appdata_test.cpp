// Checks the data laid out beside the program: every file the windows read is there, in the
// format they parse, and consistent with the other files that name it.
#include "core/phonetic.h"
#include "core/soundindex.h"
#include "core/textfile.h"
#include "core/wordentry.h"

#include <QFontDatabase>
#include <QImage>
#include <QMediaPlayer>
#include <QRawFont>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The laid-out program folder; LJT_DATA_TEST_APPDIR points the checks at another copy.
std::string AppDirUnderTest() {
    const char* other = std::getenv("LJT_DATA_TEST_APPDIR");
    std::string dir = other != nullptr && *other != '\0' ? other : LJT_TEST_APPDIR;
    if (dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

const std::string kAppDir = AppDirUnderTest();
const std::string kSeparator = "‖";

// Reads a data file, checking that it is GB18030 that decodes losslessly and ends every line
// with CR LF; returns its lines in UTF-8.
std::vector<std::string> ReadDataLines(const std::string& relative) {
    std::string bytes;
    const core::Status st = core::ReadFileBytes(kAppDir + relative, bytes);
    EXPECT_TRUE(st.ok) << relative << ": " << st.file;
    const std::string text = core::Gb18030ToUtf8(bytes);
    EXPECT_EQ(text.find("\xEF\xBF\xBD"), std::string::npos) << relative << " has undecodable bytes";
    EXPECT_EQ(core::Utf8ToGb18030(text), bytes) << relative << " does not round-trip";
    std::size_t crlf = 0;
    std::size_t lf = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ++lf;
            crlf += (i > 0 && bytes[i - 1] == '\r') ? 1 : 0;
        }
    }
    EXPECT_EQ(crlf, lf) << relative << " has a line ended by LF alone";
    EXPECT_TRUE(bytes.empty() || (bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n"))
        << relative << " lacks the final CR LF";
    return core::SplitLines(text);
}

std::vector<std::string> Catalogue() {
    return ReadDataLines("Ebook.txt");
}

bool IsRiffWave(const std::string& path) {
    std::string bytes;
    if (!core::ReadFileBytes(path, bytes).ok || bytes.size() <= 44) {
        return false;
    }
    return bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 4, "WAVE") == 0;
}

TEST(WordBanks, CatalogueNamesAndBankFilesMatch) {
    const auto names = Catalogue();
    ASSERT_FALSE(names.empty());
    std::set<std::string> listed;
    for (const auto& name : names) {
        EXPECT_EQ(core::Trim(name), name);
        EXPECT_FALSE(name.empty());
        EXPECT_TRUE(listed.insert(name).second) << "listed twice: " << name;
        EXPECT_TRUE(core::FileExists(kAppDir + "Worddata/" + name + ".dst")) << name;
    }
    // The lookup searches every .dst file, so none may lie there unlisted.
    for (const auto& item : fs::directory_iterator(kAppDir + "Worddata/")) {
        const auto file = item.path().filename().u8string();
        if (item.path().extension() == ".dst") {
            const std::string stem(file.begin(), file.end() - 4);
            EXPECT_TRUE(listed.count(stem)) << "bank file not in the catalogue: " << stem;
        }
    }
}

TEST(WordBanks, EveryLineIsACompleteEntry) {
    for (const auto& name : Catalogue()) {
        const auto lines = ReadDataLines("Worddata/" + name + ".dst");
        EXPECT_GE(lines.size(), 1000u) << name << " is nearly empty";
        std::size_t bad = 0;
        for (const auto& line : lines) {
            const std::string word = core::EntryWord(line);
            const std::string phonetic = core::EntryPhonetic(line);
            const std::string meaning = core::EntryMeaning(line);
            // The word stands directly before "[", so the spelling test can compare it as is.
            const bool ok = !word.empty() && core::Trim(word) == word &&
                            !core::Trim(phonetic).empty() && !core::Trim(meaning).empty() &&
                            line == core::Trim(line) &&
                            // Phonetics are in the typeface's codes: nothing left to convert.
                            core::IpaToPhoneticCodes(phonetic) == phonetic;
            if (!ok && ++bad <= 5) {
                ADD_FAILURE() << name << ": malformed entry: " << line;
            }
        }
        EXPECT_EQ(bad, 0u) << name;
    }
}

TEST(SentenceCorpus, EveryLineHasExactlyOneSeparator) {
    const auto lines = ReadDataLines("Worddata/sentence34085.txt");
    EXPECT_GE(lines.size(), 1500u);
    std::size_t bad = 0;
    for (const auto& line : lines) {
        const auto at = line.find(kSeparator);
        const bool ok = at != std::string::npos &&
                        line.find(kSeparator, at + 1) == std::string::npos &&
                        !core::Trim(line.substr(0, at)).empty() &&
                        !core::Trim(line.substr(at + kSeparator.size())).empty();
        if (!ok && ++bad <= 5) {
            ADD_FAILURE() << "malformed example: " << line;
        }
    }
    EXPECT_EQ(bad, 0u);
}

// The index as written: word -> file name, in file order.
std::map<std::string, std::string> IndexLines() {
    const auto lines = ReadDataLines("br.tif");
    EXPECT_FALSE(lines.empty());
    EXPECT_EQ(lines.empty() ? "" : lines[0], "[Mywav]");
    std::map<std::string, std::string> entries;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto eq = lines[i].find('=');
        if (eq == std::string::npos) {
            ADD_FAILURE() << "index line without '=': " << lines[i];
            continue;
        }
        entries[lines[i].substr(0, eq)] = lines[i].substr(eq + 1);
    }
    return entries;
}

TEST(Pronunciations, IndexAndSoundFolderAgree) {
    const auto entries = IndexLines();
    ASSERT_FALSE(entries.empty());
    std::set<std::string> values;
    for (const auto& [word, value] : entries) {
        ASSERT_FALSE(value.empty()) << word;
        EXPECT_TRUE(values.insert(value).second) << "two words share " << value;
        EXPECT_NE(value, "good0001.wav") << word << " would play the praise sound";
        // Browsing takes the folder from the value, flash cards from the entry's word.
        for (const char letter : {value[0], word[0]}) {
            const std::string path = kAppDir + "br/" + std::string(1, letter) + "/" + value;
            EXPECT_TRUE(IsRiffWave(path)) << word << ": " << path;
        }
    }
    std::size_t files = 0;
    for (const auto& item : fs::recursive_directory_iterator(kAppDir + "br/")) {
        if (!item.is_regular_file()) {
            continue;
        }
        ++files;
        const auto name = item.path().filename().u8string();
        const std::string file(name.begin(), name.end());
        if (item.path().parent_path().filename() == "g" && file == "good0001.wav") {
            continue;
        }
        EXPECT_TRUE(values.count(file)) << "pronunciation file not in the index: " << item.path();
    }
    EXPECT_GE(files, entries.size());
    EXPECT_TRUE(IsRiffWave(kAppDir + "br/g/good0001.wav"));
}

TEST(Pronunciations, TheFirstBanksAreRecorded) {
    core::SoundIndexFile index;
    ASSERT_TRUE(index.Open(kAppDir + "br.tif").ok);
    const auto names = Catalogue();
    ASSERT_GE(names.size(), 2u);
    for (std::size_t b = 0; b < 2; ++b) {
        std::size_t words = 0;
        std::size_t recorded = 0;
        for (const auto& line : ReadDataLines("Worddata/" + names[b] + ".dst")) {
            const std::string word = core::Trim(core::EntryWord(line));
            ++words;
            const std::string value = index.Value(word);
            if (value.empty()) {
                continue;
            }
            ++recorded;
            EXPECT_TRUE(core::FileExists(kAppDir + "/br/" + word.substr(0, 1) + "/" + value))
                << word;
        }
        EXPECT_GE(recorded * 100, words * 95) << names[b] << ": too few words recorded";
    }
}

TEST(PhoneticLessons, FilesHoldFortyEightSymbols) {
    const auto captions = ReadDataLines("yb48/yinbiao.txt");
    const auto rules = ReadDataLines("yb48/发音规则.txt");
    const auto combinations = ReadDataLines("yb48/字母组合.txt");
    ASSERT_EQ(captions.size(), 48u);
    EXPECT_EQ(rules.size(), 48u);
    EXPECT_EQ(combinations.size(), 48u);
    std::set<std::string> distinct;
    for (std::size_t k = 1; k <= 48; ++k) {
        const std::string& caption = captions[k - 1];
        EXPECT_TRUE(distinct.insert(caption).second) << "caption repeated: " << caption;
        EXPECT_EQ(core::IpaToPhoneticCodes(caption), caption) << "caption " << k << " not in codes";
        // Length marks belong to the long vowels, 29 to 33, and to nothing else.
        EXPECT_EQ(caption.find(':') != std::string::npos, k >= 29 && k <= 33)
            << k << ": " << caption;
        EXPECT_FALSE(core::Trim(rules[k - 1]).empty()) << k;
        EXPECT_FALSE(core::Trim(combinations[k - 1]).empty()) << k;
        EXPECT_TRUE(IsRiffWave(kAppDir + "yb48/yb48_" + std::to_string(k) + ".wav")) << k;
    }
    EXPECT_FALSE(core::FileExists(kAppDir + "yb48/yb48_0.wav"));
    EXPECT_FALSE(core::FileExists(kAppDir + "yb48/yb48_49.wav"));
}

struct Picture {
    const char* file;
    int width;
    int height;
};

class Pictures : public ::testing::TestWithParam<Picture> {};

TEST_P(Pictures, LoadAtTheirSize) {
    const QImage image(QString::fromStdString(kAppDir + GetParam().file));
    ASSERT_FALSE(image.isNull()) << GetParam().file;
    EXPECT_EQ(image.width(), GetParam().width);
    EXPECT_EQ(image.height(), GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Pictures,
    ::testing::Values(Picture{"volumebit.bmp", 9, 9}, Picture{"volumeframen.bmp", 120, 38},
                      Picture{"microphone.bmp", 163, 131}, Picture{"point.gif", 12, 12},
                      Picture{"check1.BMP", 18, 18}, Picture{"wrong1.BMP", 18, 18},
                      Picture{"help01.bmp", 18, 18}, Picture{"langjitong.png", 256, 256}));

TEST(PhoneticFont, DrawsEachCodeAsItsSymbol) {
    const QString path = QString::fromStdString(kAppDir + "DFPhonetic.ttf");
    const int id = QFontDatabase::addApplicationFont(path);
    ASSERT_GE(id, 0);
    EXPECT_TRUE(QFontDatabase::applicationFontFamilies(id).contains("DFPhonetic"));
    const QRawFont font(path, 24);
    ASSERT_TRUE(font.isValid());
    std::size_t remapped = 0;
    for (char c = 0x21; c < 0x7F; ++c) {
        const std::string ipa = core::PhoneticCodesToIpa(std::string(1, c));
        const auto codeGlyph = font.glyphIndexesForString(QString(QChar(c)));
        ASSERT_EQ(codeGlyph.size(), 1);
        EXPECT_NE(codeGlyph[0], 0u) << "no glyph for code " << c;
        if (ipa.size() == 1) {
            continue;
        }
        ++remapped;
        const auto ipaGlyph = font.glyphIndexesForString(QString::fromStdString(ipa));
        ASSERT_EQ(ipaGlyph.size(), 1);
        EXPECT_EQ(codeGlyph[0], ipaGlyph[0]) << "code " << c << " should draw " << ipa;
    }
    EXPECT_GE(remapped, 11u);
    // Everything else of the source font is still there, Chinese fallbacks aside.
    EXPECT_NE(font.glyphIndexesForString("Ω").value(0), 0u);
}

TEST(WelcomeVideo, Opens) {
    QMediaPlayer player;
    player.setSource(QUrl::fromLocalFile(QString::fromStdString(kAppDir + "lrtz.avi")));
    const bool loaded = QTest::qWaitFor(
        [&] {
            return player.mediaStatus() == QMediaPlayer::LoadedMedia || player.duration() > 0 ||
                   player.mediaStatus() == QMediaPlayer::InvalidMedia;
        },
        15000);
    EXPECT_TRUE(loaded);
    EXPECT_NE(player.mediaStatus(), QMediaPlayer::InvalidMedia)
        << player.errorString().toStdString();
    EXPECT_EQ(player.error(), QMediaPlayer::NoError) << player.errorString().toStdString();
}

} // namespace
