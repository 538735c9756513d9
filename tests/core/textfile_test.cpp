#include "core/textfile.h"

#include "test_dir.h"

#include "core/utf8.h"

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

using Lines = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string text;
    Lines lines;
};

TEST(SplitLines, LineEndingVariants) {
    const SplitCase cases[] = {
        {"empty text", "", {}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"LF", "a\nb\n", {"a", "b"}},
        {"CR", "a\rb\r", {"a", "b"}},
        {"no final break", "a\r\nb", {"a", "b"}},
        {"mixed", "a\rb\nc\r\nd", {"a", "b", "c", "d"}},
        {"empty line between", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"LF CR is two breaks", "a\n\rb", {"a", "", "b"}},
        {"only a break", "\r\n", {""}},
        {"two breaks", "\n\n", {"", ""}},
        {"blank line kept", "a\r\n   \r\n", {"a", "   "}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::SplitLines(c.text), c.lines) << c.name;
    }
}

TEST(JoinLines, CrLfAfterEveryLineAndEmptyListIsEmpty) {
    EXPECT_EQ(core::JoinLinesCrLf({}), "");
    EXPECT_EQ(core::JoinLinesCrLf({"a"}), "a\r\n");
    EXPECT_EQ(core::JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(Gb18030, GbkCharactersMatchGbkBytes) {
    // "单词" in GBK is B5 A5 B4 CA; the full-width semicolon is A3 BB.
    EXPECT_EQ(core::Utf8ToGb18030("单词；"), "\xB5\xA5\xB4\xCA\xA3\xBB");
    EXPECT_EQ(core::Gb18030ToUtf8("\xB5\xA5\xB4\xCA\xA3\xBB"), "单词；");
    EXPECT_EQ(core::Utf8ToGb18030("plain ASCII"), "plain ASCII");
}

TEST(Gb18030, CharactersOutsideGbkSurviveARoundTrip) {
    const std::string samples[] = {
        "ə ʌ θ ð ʃ ʒ ŋ ɔ æ ː",   // IPA symbols kept as Unicode characters
        "😀 emoji",               // outside the Basic Multilingual Plane
        "𠀀 rare Han character", // CJK Extension B
        "€ ™ — ‖",
    };
    for (const auto& s : samples) {
        std::string encoded = core::Utf8ToGb18030(s);
        EXPECT_NE(encoded, s) << "not stored as UTF-8: " << s;
        EXPECT_EQ(core::Gb18030ToUtf8(encoded), s);
    }
}

TEST(Gb18030, TwoByteCodesOfCharactersBeyondTheBasicPlaneAreRead) {
    // Six two-byte codes stand for characters outside the Basic Multilingual Plane; each is
    // read as its character and written back as the same two bytes.
    const std::pair<const char*, const char*> codes[] = {
        {"\xFE\x51", "\U00020087"}, {"\xFE\x52", "\U00020089"}, {"\xFE\x53", "\U000200CC"},
        {"\xFE\x6C", "\U000215D7"}, {"\xFE\x76", "\U0002298F"}, {"\xFE\x91", "\U000241FE"},
    };
    for (const auto& [bytes, text] : codes) {
        const std::string line = std::string("a") + bytes + "b";
        EXPECT_EQ(core::Gb18030ToUtf8(line), std::string("a") + text + "b") << text;
        EXPECT_EQ(core::Utf8ToGb18030(core::Gb18030ToUtf8(line)), line) << text;
    }
    // Found by fuzzing: a failed four-byte code followed by one of them.
    const std::string fuzzed = "\xC1\x34\xFE\x6C";
    const std::string read = core::Gb18030ToUtf8(fuzzed);
    EXPECT_EQ(core::Gb18030ToUtf8(core::Utf8ToGb18030(read)), read);
}

/// before, then the private-use character that keeps a byte that is no character.
// Taking before, rather than `"a" + Kept(...)`, keeps GCC 12 at -O3 from a false -Wrestrict.
std::string Kept(unsigned byte, std::string before = {}) {
    std::string out = std::move(before);
    core::AppendUtf8(out, core::KeptByteBase + byte);
    return out;
}

TEST(Gb18030, BytesThatAreNoCharacterAreKeptAndWrittenBack) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"euro sign of the code page", "a\x80", "a€"},
        {"byte FF",
         "a\xFF"
         "b",
         Kept(0xFF, "a") + "b"},
        {"lone lead byte at the end", "ab\xB5", Kept(0xB5, "ab")},
        {"lead byte before a line break", "\xB5\r\n", Kept(0xB5) + "\r\n"},
        {"GB18030's own euro code is not the code page's", "\xA2\xE3", Kept(0xA2) + Kept(0xE3)},
        {"four-byte code beyond the plane", "\x90\x30\x81\x30", "\xF0\x90\x80\x80"},
        {"four-byte code in the plane", "\x81\x30\x81\x30", "\xC2\x80"},
        {"broken four-byte code", "\x81\x30\x20\x30", Kept(0x81) + "0 0"},
        {"GBK text", "\xB5\xA5\xB4\xCA", "单词"},
    };
    for (const auto& c : cases) {
        const std::string text = core::Gb18030ToUtf8(c.bytes);
        EXPECT_EQ(text, c.text) << c.name;
        EXPECT_EQ(core::Utf8ToGb18030(text), c.bytes) << c.name;
    }
    // Invalid UTF-8 (which no file yields) is written as U+FFFD; the text after it survives.
    EXPECT_EQ(core::Gb18030ToUtf8(core::Utf8ToGb18030("x\xFFy")), "x\xEF\xBF\xBDy");
}

TEST(Gb18030, AnyBytesAreReadAsUtf8AndWrittenBackUnchanged) {
    std::mt19937 random(20241207);
    auto byte = [&](unsigned low, unsigned high) {
        return static_cast<char>(low + random() % (high - low + 1));
    };
    for (int round = 0; round < 20000; ++round) {
        const std::size_t length = random() % 24;
        std::string bytes;
        while (bytes.size() < length) {
            switch (random() % 6) {
            case 0:
                bytes += byte(0x20, 0x7E);
                break;
            case 1:
                bytes += byte(0x80, 0xFF);
                break;
            case 2: // something shaped like a two-byte code
                bytes += byte(0x81, 0xFE);
                bytes += byte(0x40, 0xFE);
                break;
            case 3: // something shaped like a four-byte code
                bytes += byte(0x81, 0xFE);
                bytes += byte(0x30, 0x39);
                bytes += byte(0x81, 0xFE);
                bytes += byte(0x30, 0x39);
                break;
            case 4:
                bytes += std::vector<std::string>{
                    "\x80", "\xA2\xE3", "\xFF", "\r\n", "\r", "\n"}[random() % 6];
                break;
            default:
                bytes += byte(0x00, 0xFF);
                break;
            }
        }
        const std::string text = core::Gb18030ToUtf8(bytes);
        ASSERT_TRUE(core::IsValidUtf8(text)) << "round " << round;
        ASSERT_EQ(core::Utf8ToGb18030(text), bytes) << "round " << round;
        // Files are read line by line without the whole text in between: the same lines.
        ASSERT_EQ(core::Gb18030Lines(bytes), core::SplitLines(text)) << "round " << round;
    }
}

TEST(TextFile, LinesTheProgramDidNotChangeAreWrittenBackByteForByte) {
    TestDir dir;
    const std::string path = dir.File("list.bm");
    const std::string original = "price[praIs]n.\x80"
                                 "5\r\n"
                                 "odd\xFF\xA2\xE3[x]\r\n"
                                 "word[wE:d]n.\xB4\xCA\r\n";
    WriteAll(path, original);
    Lines lines;
    ASSERT_TRUE(core::ReadTextLines(path, lines));
    EXPECT_EQ(lines.front(), "price[praIs]n.€5");
    ASSERT_TRUE(core::WriteTextLines(path, lines));
    EXPECT_EQ(ReadAll(path), original);
}

TEST(TextFile, SaveAndLoadRoundTrip) {
    TestDir dir;
    const Lines lines = {"word[wE:d]n.词；单词，字", "think[WIN k]v.想", "", "ə[ə]Unicode 音标",
                         "a  "};
    const std::string path = dir.File("list.bm");
    ASSERT_TRUE(core::WriteTextLines(path, lines));
    Lines back;
    ASSERT_TRUE(core::ReadTextLines(path, back));
    EXPECT_EQ(back, lines);
    // Every line, the last included, ends in CR LF; GBK characters are stored as GBK bytes.
    const std::string bytes = ReadAll(path);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_NE(bytes.find("\xB5\xA5\xB4\xCA"), std::string::npos);
}

TEST(TextFile, EmptyListIsAZeroByteFile) {
    TestDir dir;
    const std::string path = dir.File("empty.bm");
    WriteAll(path, "old content\r\n");
    ASSERT_TRUE(core::WriteTextLines(path, {}));
    EXPECT_EQ(ReadAll(path), "");
    Lines back = {"stale"};
    ASSERT_TRUE(core::ReadTextLines(path, back));
    EXPECT_TRUE(back.empty());
}

TEST(TextFile, ReadsFilesWhoseSizeIsNotKnownBeforehand) {
    // A file of the system tells size 0 and still has text; a large one is read whole.
    std::string bytes;
    ASSERT_TRUE(core::ReadFileBytes("/proc/self/status", bytes));
    EXPECT_NE(bytes.find("Name:"), std::string::npos);
    TestDir dir;
    const std::string path = dir.File("large.bm");
    const std::string large(300000, 'x');
    ASSERT_TRUE(core::WriteTextLines(path, {large, "end"}));
    ASSERT_TRUE(core::ReadFileBytes(path, bytes));
    EXPECT_EQ(bytes, large + "\r\nend\r\n");
}

TEST(TextFile, ReadFailureNamesTheFile) {
    TestDir dir;
    Lines lines;
    const std::string missing = dir.File("missing.bm");
    core::Status s = core::ReadTextLines(missing, lines);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.file, missing);
    EXPECT_NE(s.file.find(missing), std::string::npos);
    // A folder is not a readable file either.
    EXPECT_FALSE(core::ReadTextLines(dir.File(""), lines));
}

TEST(TextFile, FailedWriteLeavesTheOldFileAndNoTemporaryFiles) {
    if (::geteuid() == 0) {
        // root ignores folder permissions; use a missing folder instead.
        TestDir dir;
        core::Status s = core::WriteTextLines(dir.File("nofolder/list.bm"), {"a"});
        EXPECT_FALSE(s);
        EXPECT_NE(s.file.find("nofolder/list.bm"), std::string::npos);
        return;
    }
    TestDir dir;
    const std::string path = dir.File("list.bm");
    WriteAll(path, "keep\r\n");
    ::chmod(dir.AppDir().c_str(), 0555);
    core::Status s = core::WriteTextLines(path, {"new"});
    ::chmod(dir.AppDir().c_str(), 0755);
    EXPECT_FALSE(s);
    EXPECT_EQ(ReadAll(path), "keep\r\n");
}

TEST(TextFile, WriteReplacesWholeFileAndLeavesNoTemporaryFile) {
    TestDir dir;
    const std::string path = dir.File("list.bm");
    WriteAll(path, std::string(10000, 'x'));
    ASSERT_TRUE(core::WriteTextLines(path, {"short"}));
    EXPECT_EQ(ReadAll(path), "short\r\n");
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.AppDir())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(TextFile, WriteThatRunsOutOfSpaceKeepsTheOldFile) {
    // A file-size limit makes the write fail part-way, as a full disk would.
    TestDir dir;
    const std::string path = dir.File("list.bm");
    WriteAll(path, "keep\r\n");
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &old);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 64;
    ::setrlimit(RLIMIT_FSIZE, &small);
    core::Status s = core::WriteTextLines(path, Lines(100, "a line that is long enough"));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &old, nullptr);
    EXPECT_FALSE(s);
    EXPECT_EQ(s.file, path);
    EXPECT_EQ(ReadAll(path), "keep\r\n");
    std::size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.AppDir())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1u) << "the temporary file must be removed";
}

TEST(TextFile, ReadOnlyFilesAndFoldersAreNeverReplaced) {
    struct Case {
        const char* name;
        std::function<bool(const std::string& file, const std::string& folder)> make;
        std::function<void(const std::string& file, const std::string& folder)> undo;
    };
    const Case cases[] = {
        {"file without write permission",
         [](const std::string& file, const std::string&) {
             return ::chmod(file.c_str(), 0444) == 0;
         },
         [](const std::string& file, const std::string&) { ::chmod(file.c_str(), 0644); }},
        {"immutable file",
         [](const std::string& file, const std::string&) { return SetImmutable(file, true); },
         [](const std::string& file, const std::string&) { SetImmutable(file, false); }},
        {"folder without write permission",
         [](const std::string&, const std::string& folder) {
             return ::chmod(folder.c_str(), 0555) == 0;
         },
         [](const std::string&, const std::string& folder) { ::chmod(folder.c_str(), 0755); }},
        {"a folder in the file's place",
         [](const std::string& file, const std::string&) {
             return std::filesystem::remove(file) && std::filesystem::create_directory(file);
         },
         [](const std::string& file, const std::string&) { std::filesystem::remove(file); }},
    };
    for (const auto& c : cases) {
        TestDir dir;
        const std::string folder = dir.File("learner");
        const std::string path = folder + "/list.bm";
        std::filesystem::create_directory(folder);
        WriteAll(path, "keep\r\n");
        if (!c.make(path, folder)) {
            std::cout << "skipped (not possible here): " << c.name << "\n";
            continue;
        }
        const auto before = Snapshot(folder);
        const core::Status s = core::WriteTextLines(path, {"new"});
        const auto after = Snapshot(folder);
        c.undo(path, folder);
        EXPECT_FALSE(s) << c.name;
        EXPECT_EQ(s.what, core::Failure::Write) << c.name;
        EXPECT_EQ(s.file, path) << c.name;
        EXPECT_EQ(after, before) << c.name;
    }
}

TEST(TextFile, SavingThroughALinkWritesTheFileItNames) {
    TestDir dir;
    std::filesystem::create_directories(dir.File("learner"));
    std::filesystem::create_directories(dir.File("elsewhere"));
    WriteAll(dir.File("elsewhere/list.bm"), "old\r\n");
    const std::string link = dir.File("learner/list.bm");
    std::filesystem::create_symlink("../elsewhere/list.bm", link);
    ASSERT_TRUE(core::WriteTextLines(link, {"new"}));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadAll(dir.File("elsewhere/list.bm")), "new\r\n");

    // A link to a file that does not exist yet creates that file.
    const std::string dangling = dir.File("learner/other.bm");
    std::filesystem::create_symlink(dir.File("elsewhere/other.bm"), dangling);
    ASSERT_TRUE(core::WriteTextLines(dangling, {"made"}));
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(ReadAll(dir.File("elsewhere/other.bm")), "made\r\n");
    EXPECT_EQ(CountStartingWith(dir.File("learner"), ".ljt-save-"), 0);
    EXPECT_EQ(CountStartingWith(dir.File("elsewhere"), ".ljt-save-"), 0);
}

TEST(TextFile, ReadsInStepsThatStopWhenAsked) {
    TestDir dir;
    // Three and a half steps of GB18030 lines ("词" is B4 CA).
    std::string bytes;
    for (int i = 0; bytes.size() < (std::size_t{7} << 19); ++i) {
        bytes += "line " + std::to_string(i) + " \xB4\xCA\r\n";
    }
    WriteAll(dir.File("big.txt"), bytes);
    struct Case {
        const char* name;
        int stopAfter; ///< calls of stop() that answer false; -1: never stops
        bool stopped;
    };
    for (const Case& c :
         {Case{"whole", -1, false}, Case{"at once", 0, true}, Case{"after two steps", 2, true}}) {
        SCOPED_TRACE(c.name);
        int calls = 0;
        const auto stop = [&] { return c.stopAfter >= 0 && calls++ >= c.stopAfter; };
        std::string read;
        bool stopped = false;
        ASSERT_TRUE(core::ReadFileBytesUntil(dir.File("big.txt"), read, stop, stopped));
        EXPECT_EQ(stopped, c.stopped);
        EXPECT_EQ(read == bytes, !c.stopped);
        calls = 0;
        std::string text;
        EXPECT_EQ(core::Gb18030ToUtf8Until(bytes, text, stop), !c.stopped);
        if (!c.stopped) {
            EXPECT_EQ(text, core::Gb18030ToUtf8(bytes)) << "pieces end with whole lines";
        }
    }
    std::string none;
    bool stopped = false;
    EXPECT_EQ(core::ReadFileBytesUntil(dir.File("missing.txt"), none, {}, stopped).what,
              core::Failure::Open);
}

} // namespace
