#include "core/fileset.h"

#include "test_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class FileSetTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            WriteAll(Path(i), "old" + std::to_string(i) + "\r\n");
        }
    }
    std::string Path(int i) const { return folder + "/list" + std::to_string(i) + ".bm"; }
    std::string Temp(int i) const { return folder + "/.ljt-save-test" + std::to_string(i); }
    std::vector<std::string> Paths() const { return {Path(0), Path(1), Path(2)}; }
    std::vector<std::string> Contents() const {
        return {ReadAll(Path(0)), ReadAll(Path(1)), ReadAll(Path(2))};
    }
    /// The journal a save writes once its temporary files are whole; cut leaves off its end.
    void WriteJournal(bool cut) const {
        std::string text("LJT-JOURNAL 1\0", 14);
        for (int i = 0; i < 3; ++i) {
            text += Temp(i) + '\0' + Path(i) + '\0';
        }
        if (!cut) {
            text += std::string("END\0", 4);
        }
        WriteAll(folder + "/.ljt-journal", text);
    }

    TestDir dir;
    std::string folder = dir.AppDir() + "learner";
    const std::vector<std::string> old = {"old0\r\n", "old1\r\n", "old2\r\n"};
    const std::vector<std::string> fresh = {"new0\r\n", "new1\r\n", "new2\r\n"};

private:
    bool made_ = fs::create_directories(folder);
};

TEST_F(FileSetTest, SavesEveryFileAndLeavesNothingElse) {
    std::vector<core::FileSetItem> items;
    for (int i = 0; i < 3; ++i) {
        items.push_back({Path(i), fresh[static_cast<std::size_t>(i)]});
    }
    bool committed = false;
    ASSERT_TRUE(core::SaveFileSet(folder, items, &committed));
    EXPECT_TRUE(committed);
    EXPECT_EQ(Contents(), fresh);
    EXPECT_EQ(CountStartingWith(folder, ".ljt-"), 0);
}

TEST_F(FileSetTest, AnInterruptedSaveIsFinishedOrUndoneAtTheNextStart) {
    struct Case {
        const char* name;
        bool journal;    // a journal was written
        bool cut;        // ... but not to its end
        int renamed;     // how many temporary files were renamed before the interruption
        bool tempsExist; // the temporary files were written
        bool forward;    // the new set is found
    };
    const Case cases[] = {
        {"temporary files written, no journal", false, false, 0, true, false},
        {"journal cut short", true, true, 0, true, false},
        {"journal whole, nothing renamed", true, false, 0, true, true},
        {"journal whole, one file renamed", true, false, 1, true, true},
        {"journal whole, two files renamed", true, false, 2, true, true},
        {"journal whole, every file renamed", true, false, 3, true, true},
    };
    for (const auto& c : cases) {
        for (int i = 0; i < 3; ++i) {
            WriteAll(Path(i), old[static_cast<std::size_t>(i)]);
            if (c.tempsExist) {
                WriteAll(Temp(i), fresh[static_cast<std::size_t>(i)]);
            }
        }
        if (c.journal) {
            WriteJournal(c.cut);
        }
        for (int i = 0; i < c.renamed; ++i) {
            fs::rename(Temp(i), Path(i));
        }
        core::RecoveryReport report;
        ASSERT_TRUE(core::RecoverFileSet(folder, Paths(), report)) << c.name;
        EXPECT_EQ(Contents(), c.forward ? fresh : old) << c.name;
        EXPECT_EQ(report.rolledForward, c.forward) << c.name;
        EXPECT_EQ(report.rolledBack, c.journal && !c.forward) << c.name;
        EXPECT_EQ(CountStartingWith(folder, ".ljt-"), 0) << c.name << ": leftovers";
    }
}

TEST_F(FileSetTest, AJournalNeverRenamesAFileThatIsNoTemporaryFile) {
    // A journal entry that names an ordinary file (a damaged journal) leaves that file alone.
    WriteAll(folder + "/notes.txt", "mine");
    std::string text("LJT-JOURNAL 1\0", 14);
    text += folder + "/notes.txt" + '\0' + Path(0) + '\0' + std::string("END\0", 4);
    WriteAll(folder + "/.ljt-journal", text);
    ASSERT_TRUE(core::RecoverFileSet(folder, Paths()));
    EXPECT_EQ(ReadAll(folder + "/notes.txt"), "mine");
    EXPECT_EQ(Contents(), old);
}

TEST_F(FileSetTest, LeftoversBesideALinkedFileAreRemovedToo) {
    fs::create_directories(dir.AppDir() + "elsewhere");
    const std::string target = dir.AppDir() + "elsewhere/list0.bm";
    fs::rename(Path(0), target);
    fs::create_symlink(target, Path(0));
    WriteAll(dir.AppDir() + "elsewhere/.ljt-save-left", "x");
    ASSERT_TRUE(core::RecoverFileSet(folder, Paths()));
    EXPECT_EQ(CountStartingWith(dir.AppDir() + "elsewhere", ".ljt-save-"), 0);
    EXPECT_TRUE(fs::exists(target));
}

} // namespace
