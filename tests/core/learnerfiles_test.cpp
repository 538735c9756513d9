#include "core/learnerfiles.h"
#include "core/listbackup.h"
#include "core/textfile.h"

#include "test_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using namespace std::string_literals;

namespace fs = std::filesystem;

namespace {

std::string Repeat(const std::string& piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

TEST(LearnerName, SafeNamesPassAndHostileNamesAreRefused) {
    struct Case {
        std::string name;
        bool ok;
    };
    const Case cases[] = {
        {"小明", true},
        {"Tom", true},
        {"Tom ", true}, // trailing blank: a distinct learner
        {" Tom", true},
        {"a.b", true},
        {"...", true},
        {std::string(64, 'x'), true},
        {Repeat("名", 64), true},
        {Repeat("名", 65), false},
        {Repeat("𠀀", 62), true},  // four-byte characters: 248 bytes, files still fit
        {Repeat("𠀀", 63), false}, // 252 bytes: name + "1.bm" would exceed 255
        {std::string(65, 'x'), false},
        {"", false},
        {"   ", false},
        {".", false},
        {"..", false},
        {"../evil", false},
        {"a/b", false},
        {"a\\b", false},
        {std::string("a\0b", 3), false},
        {"tab\there", false},
        {"line\nbreak", false},
        {"del\x7f", false},
        // Files the program writes beside itself.
        {"Temp.wav", false},
        {"1.htm", false},
        {"3.htm", false},
        {"4.htm", true},
        {"Temp.wav ", true},
        // The catalogue and the bank folder of the learner data folder.
        {"Ebook.txt", false},
        {"Worddata", false},
        {"worddata", true},
    };
    for (const auto& c : cases) {
        core::Status s = core::CheckLearnerName(c.name);
        EXPECT_EQ(s.ok, c.ok) << "name: " << c.name;
        if (!c.ok) {
            EXPECT_NE(s.what, core::Failure::None);
        }
    }
}

TEST(LearnerName, NamesThatShowNothingOrHideCharactersAreRefusedWithTheirReason) {
    using F = core::Failure;
    struct Case {
        const char* name;
        F failure; // F::None: accepted
    };
    const Case cases[] = {
        {"\u3000\u3000", F::NameInvisible},                    // full-width spaces only
        {"\u00A0", F::NameInvisible},                          // a non-breaking space
        {" \u2003\u202F\u205F\u2800\u3164", F::NameInvisible}, // other widths, blank fillers
        {"\u0301\uFE0F", F::NameInvisible},                    // marks with no letter to go on
        {"\u200B", F::NameFormat},                             // a zero-width space
        {"Tom\u200B", F::NameFormat},
        {"\u202Emoc.evil", F::NameFormat}, // a right-to-left override
        {"a\u2066b\u2069", F::NameFormat}, // a direction isolate
        {"\uFEFFTom", F::NameFormat},      // a byte order mark
        {"Tom\u00AD", F::NameFormat},      // a soft hyphen
        {"bad\xFF", F::NameFormat},        // not UTF-8
        {"line\u2028sep", F::NameControl}, // a line separator
        {"c1\u0085", F::NameControl},      // a control of the second set
        {"小\u3000明", F::None},           // a full-width space inside
        {"Jose\u0301", F::None},           // a mark on a letter
        {"\u00A0Tom", F::None},
    };
    for (const Case& c : cases) {
        for (const core::Status& s :
             {core::CheckLearnerName(c.name), core::CheckBankName(c.name)}) {
            EXPECT_EQ(s.ok, c.failure == F::None) << c.name;
            EXPECT_EQ(s.what, c.failure) << c.name;
        }
    }
}

TEST(LearnerFiles, CreateMakesFolderAndThreeEmptyLists) {
    TestDir dir;
    const std::string app = dir.AppDir();
    EXPECT_FALSE(core::LearnerKnown(app, "小明"));
    ASSERT_TRUE(core::CreateLearnerFiles(app, "小明"));
    EXPECT_TRUE(core::LearnerKnown(app, "小明"));
    for (int which = 1; which <= 3; ++which) {
        const std::string path = app + "小明/小明" + std::to_string(which) + ".bm";
        ASSERT_TRUE(fs::exists(path)) << path;
        EXPECT_EQ(fs::file_size(path), 0u);
    }
}

TEST(LearnerFiles, TheLongestAcceptedNameStillMakesItsFiles) {
    TestDir dir;
    const std::string name = Repeat("𠀀", 62);
    ASSERT_TRUE(core::CheckLearnerName(name));
    ASSERT_TRUE(core::CreateLearnerFiles(dir.AppDir(), name));
    EXPECT_TRUE(core::LearnerKnown(dir.AppDir(), name));
    ASSERT_TRUE(core::WriteLearnerSettings(dir.AppDir(), name));
}

TEST(LearnerFiles, TrailingBlankMakesADistinctLearner) {
    TestDir dir;
    const std::string app = dir.AppDir();
    ASSERT_TRUE(core::CreateLearnerFiles(app, "Tom"));
    EXPECT_FALSE(core::LearnerKnown(app, "Tom "));
    ASSERT_TRUE(core::CreateLearnerFiles(app, "Tom "));
    EXPECT_TRUE(fs::exists(app + "Tom /Tom 1.bm"));
}

TEST(LearnerFiles, HostileNamesCreateNothingAnywhere) {
    TestDir outer;
    const std::string app = outer.AppDir() + "app/";
    fs::create_directories(app);
    for (const std::string& name :
         std::vector<std::string>{"../escape", "..", "a/b", std::string("x\0y", 3)}) {
        EXPECT_FALSE(core::CreateLearnerFiles(app, name)) << name;
        EXPECT_FALSE(core::LearnerKnown(app, name)) << name;
    }
    EXPECT_FALSE(fs::exists(outer.AppDir() + "escape"));
    EXPECT_TRUE(fs::is_empty(app));
}

TEST(LearnerFiles, ExistingFolderWithoutNewListIsRefusedAndItsFilesKept) {
    TestDir dir;
    const std::string app = dir.AppDir();
    fs::create_directories(app + "Ann");
    WriteAll(app + "Ann/Ann2.bm", "kept[k]n.留\r\n");
    core::Status s = core::CreateLearnerFiles(app, "Ann");
    EXPECT_FALSE(s);
    EXPECT_NE(s.file.find("Ann"), std::string::npos);
    EXPECT_FALSE(fs::exists(app + "Ann/Ann1.bm"));
    EXPECT_EQ(ReadAll(app + "Ann/Ann2.bm"), "kept[k]n.留\r\n");
}

TEST(LearnerFiles, SettingsFileHasFiveLines) {
    TestDir dir;
    const std::string app = dir.AppDir();
    ASSERT_TRUE(core::CreateLearnerFiles(app, "Li"));
    ASSERT_TRUE(core::WriteLearnerSettings(app, "Li"));
    ASSERT_TRUE(core::WriteLearnerSettings(app, "Li"));
    EXPECT_EQ(ReadAll(app + "Li/Li.bm"), "0\r\n0\r\n0\r\n0\r\n10\r\n");
}

class BankCopy : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(app + "Worddata");
        ASSERT_TRUE(core::CreateLearnerFiles(app, "Li"));
    }
    TestDir dir;
    std::string app = dir.AppDir();
};

TEST_F(BankCopy, CopiesLinesUnchangedWithoutBlankOnesAndReplacesOldWords) {
    // GBK bytes for "单词" inside a line, an empty line, a line of blanks (it would read as
    // the end of the list), LF and CR endings, and a byte that is no GBK character.
    WriteAll(app + "Worddata/初中.dst", "a[a]\xB5\xA5\xB4\xCA\r\n\r\n   \n \t\r\nb[b]x\rc[c]y\xFF");
    WriteAll(app + "Li/Li1.bm", "old[o]n.旧\r\n");
    for (int round = 0; round < 2; ++round) {
        core::BankCopyResult r = core::CopyBankToNewList(app, "Li", "初中");
        ASSERT_TRUE(r.status) << r.status.file;
        EXPECT_FALSE(r.newListWasMissing);
        EXPECT_EQ(r.linesCopied, 3u);
        EXPECT_EQ(ReadAll(app + "Li/Li1.bm"), "a[a]\xB5\xA5\xB4\xCA\r\nb[b]x\r\nc[c]y\xFF\r\n");
    }
}

TEST_F(BankCopy, BanksInUtf8OrUtf16AreConvertedAndUnreadableOnesRefused) {
    struct Case {
        const char* name;
        std::string bank;
        bool copied;
    };
    const Case cases[] = {
        {"UTF-8", "one[wQn]num.一\r\n", true},
        {"UTF-8 with mark", "\xEF\xBB\xBFone[wQn]num.一\r\n", true},
        {"UTF-16 with mark", "\xFF\xFEo\0n\0e\0[\0w\0Q\0n\0]\0n\0u\0m\0.\0\x00\x4E\r\0\n\0"s, true},
        {"UTF-8 mark before broken text", "\xEF\xBB\xBFone\xFF[x]\r\n", false},
        {"binary", "\x01\0\0\x02\0\0\0\x03"s, false},
    };
    for (const auto& c : cases) {
        WriteAll(app + "Li/Li1.bm", "old[o]n.旧\r\n");
        WriteAll(app + "Worddata/b.dst", c.bank);
        core::BankCopyResult r = core::CopyBankToNewList(app, "Li", "b");
        EXPECT_EQ(r.status.ok, c.copied) << c.name;
        if (c.copied) {
            // 一 in GBK is D2 BB.
            EXPECT_EQ(ReadAll(app + "Li/Li1.bm"), "one[wQn]num.\xD2\xBB\r\n") << c.name;
        } else {
            EXPECT_EQ(r.status.what, core::Failure::BankEncoding) << c.name;
            EXPECT_EQ(r.status.file, app + "Worddata/b.dst") << c.name;
            EXPECT_EQ(ReadAll(app + "Li/Li1.bm"), "old[o]n.旧\r\n") << c.name;
        }
    }
}

TEST_F(BankCopy, TheReplacedNewWordsStayInABackup) {
    WriteAll(app + "Worddata/b.dst", "a[a]x\r\n");
    WriteAll(app + "Li/Li1.bm", "old[o]n.旧\r\n");
    ASSERT_TRUE(core::CopyBankToNewList(app, "Li", "b").status);
    const auto backups = core::ListBackups(app + "Li", {"Li1.bm", "Li2.bm", "Li3.bm"});
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadAll(app + "Li/backup/" + backups[0].name + "/Li1.bm"), "old[o]n.旧\r\n");
}

TEST_F(BankCopy, MissingBankWritesNothing) {
    WriteAll(app + "Li/Li1.bm", "old[o]n.旧\r\n");
    for (const std::string bank : {"nosuchbank", "", "../Li/Li1"}) {
        core::BankCopyResult r = core::CopyBankToNewList(app, "Li", bank);
        EXPECT_FALSE(r.status) << bank;
        EXPECT_EQ(ReadAll(app + "Li/Li1.bm"), "old[o]n.旧\r\n");
    }
    core::BankCopyResult r = core::CopyBankToNewList(app, "Li", "nosuchbank");
    EXPECT_EQ(r.status.what, core::Failure::NotFound);
}

TEST_F(BankCopy, MissingNewListIsReportedAndStillCreated) {
    WriteAll(app + "Worddata/b.dst", "a[a]x\r\n");
    fs::remove(app + "Li/Li1.bm");
    core::BankCopyResult r = core::CopyBankToNewList(app, "Li", "b");
    EXPECT_TRUE(r.status);
    EXPECT_TRUE(r.newListWasMissing);
    EXPECT_EQ(ReadAll(app + "Li/Li1.bm"), "a[a]x\r\n");
}

TEST_F(BankCopy, MissingLearnerFolderFails) {
    WriteAll(app + "Worddata/b.dst", "a[a]x\r\n");
    fs::remove_all(app + "Li");
    core::BankCopyResult r = core::CopyBankToNewList(app, "Li", "b");
    EXPECT_FALSE(r.status);
    EXPECT_NE(r.status.file.find("Li1.bm"), std::string::npos);
    EXPECT_FALSE(fs::exists(app + "Li"));
}

TEST_F(BankCopy, CatalogueIsReadInFileOrder) {
    WriteAll(app + "Ebook.txt", "\xD6\xD0\xBF\xBC\xB4\xCA\xBB\xE3\r\nGRE\r\n"); // 中考词汇
    std::vector<std::string> names;
    ASSERT_TRUE(core::ReadBankCatalogue(app, names));
    EXPECT_EQ(names, (std::vector<std::string>{"中考词汇", "GRE"}));
    fs::remove(app + "Ebook.txt");
    EXPECT_FALSE(core::ReadBankCatalogue(app, names));
}

// Installed read-only: the data folder holds the installed banks, the learner data folder
// the learner's own. Run from a writable program folder both are the same folder.
class OwnBanks : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        data = dir.AppDir() + "data/";
        learner = GetParam() ? data : dir.AppDir() + "home/";
        fs::create_directories(data + "Worddata");
        fs::create_directories(learner);
        WriteAll(data + "Ebook.txt", "GRE\r\n");
        WriteAll(data + "Worddata/GRE.dst", "abate[E'beit]v.\xBC\xF5\xC7\xE1\r\n"); // 减轻
        ASSERT_TRUE(core::CreateLearnerFiles(learner, "Li"));
    }
    std::vector<std::string> Catalogue() {
        std::vector<std::string> names;
        EXPECT_TRUE(core::ReadBankCatalogues(data, learner, names));
        return names;
    }
    TestDir dir;
    std::string data;
    std::string learner;
};

TEST_P(OwnBanks, ANewBankIsListedFoundAndLoaded) {
    EXPECT_EQ(Catalogue(), std::vector<std::string>{"GRE"});
    ASSERT_TRUE(core::CreateWordBank(data, learner, "我的", {"cat[kAt]n.猫", "dog[dCg]n.狗"}));
    EXPECT_EQ(Catalogue(), (std::vector<std::string>{"GRE", "我的"}));
    EXPECT_EQ(ReadAll(learner + "Worddata/我的.dst"),
              "cat[kAt]n.\xC3\xA8\r\ndog[dCg]n.\xB9\xB7\r\n");
    EXPECT_EQ(core::FindWordBank(data, learner, "我的"), learner + "Worddata/我的.dst");
    EXPECT_EQ(core::FindWordBank(data, learner, "GRE"), data + "Worddata/GRE.dst");
    // The installed catalogue is untouched when the learner's folder is another one.
    EXPECT_EQ(ReadAll(data + "Ebook.txt"), GetParam() ? "GRE\r\n\xCE\xD2\xB5\xC4\r\n" : "GRE\r\n");

    const core::BankCopyResult copied = core::CopyBankToNewList(data, learner, "Li", "我的");
    ASSERT_TRUE(copied.status);
    EXPECT_EQ(copied.linesCopied, 2u);
    ASSERT_TRUE(core::CopyBankToNewList(data, learner, "Li", "GRE").status);
    EXPECT_EQ(ReadAll(learner + "Li/Li1.bm"), "abate[E'beit]v.\xBC\xF5\xC7\xE1\r\n");
}

TEST_P(OwnBanks, ANameInUseIsRefusedAndNothingChanges) {
    ASSERT_TRUE(core::CreateWordBank(data, learner, "mine", {"cat[kAt]n.猫"}));
    const std::string catalogue = ReadAll(learner + "Ebook.txt");
    for (const std::string name : {"GRE", "mine", "../mine", ""}) {
        const core::Status s = core::CreateWordBank(data, learner, name, {"x[]y"});
        EXPECT_FALSE(s) << name;
        EXPECT_EQ(ReadAll(learner + "Ebook.txt"), catalogue);
    }
    EXPECT_EQ(core::CreateWordBank(data, learner, "GRE", {"x[]y"}).what, core::Failure::BankExists);
    EXPECT_EQ(ReadAll(data + "Worddata/GRE.dst"), "abate[E'beit]v.\xBC\xF5\xC7\xE1\r\n");
}

TEST_P(OwnBanks, ACatalogueThatCannotBeWrittenLeavesNoBankFile) {
    fs::remove(learner + "Ebook.txt");
    fs::create_directories(learner + "Ebook.txt"); // not a file: the rename over it fails
    const core::Status s = core::CreateWordBank(data, learner, "mine", {"cat[kAt]n.猫"});
    EXPECT_FALSE(s);
    EXPECT_FALSE(fs::exists(learner + "Worddata/mine.dst"));
}

INSTANTIATE_TEST_SUITE_P(Folders, OwnBanks, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "OneFolder" : "TwoFolders"; });

} // namespace
