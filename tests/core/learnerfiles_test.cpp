#include "core/learnerfiles.h"
#include "core/textfile.h"

#include "test_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

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

TEST_F(BankCopy, CopiesNonEmptyLinesUnchangedAndReplacesOldWords) {
    // GBK bytes for "单词" inside a line, an empty line, a line of blanks, LF and CR endings.
    WriteAll(app + "Worddata/初中.dst", "a[a]\xB5\xA5\xB4\xCA\r\n\r\n   \nb[b]x\rc[c]y");
    WriteAll(app + "Li/Li1.bm", "old[o]n.旧\r\n");
    for (int round = 0; round < 2; ++round) {
        core::BankCopyResult r = core::CopyBankToNewList(app, "Li", "初中");
        ASSERT_TRUE(r.status) << r.status.file;
        EXPECT_FALSE(r.newListWasMissing);
        EXPECT_EQ(r.linesCopied, 4u);
        EXPECT_EQ(ReadAll(app + "Li/Li1.bm"), "a[a]\xB5\xA5\xB4\xCA\r\n   \r\nb[b]x\r\nc[c]y\r\n");
    }
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

} // namespace
