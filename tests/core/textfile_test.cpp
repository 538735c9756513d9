#include "core/textfile.h"

#include "test_dir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <utility>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(Gb18030, BrokenInputIsReplacedNotDropped) {
    // A byte that never starts a character, and a lone lead byte at the end of a text.
    EXPECT_EQ(core::Gb18030ToUtf8("a\xFF"
                                  "b"),
              "a\xEF\xBF\xBD"
              "b");
    std::string tail = core::Gb18030ToUtf8("ab\xB5");
    EXPECT_EQ(tail.substr(0, 2), "ab");
    EXPECT_GT(tail.size(), 2u);
    // Invalid UTF-8 written out becomes U+FFFD, the text after it survives.
    EXPECT_EQ(core::Gb18030ToUtf8(core::Utf8ToGb18030("x\xFFy")), "x\xEF\xBF\xBDy");
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

} // namespace
