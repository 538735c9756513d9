#include "core/lookupindex.h"
#include "core/textfile.h"

#include "test_dir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

using core::BankMatch;

namespace {

core::WordBankText Bank(const std::string& name, const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) {
        text += line + "\r\n";
    }
    return {name, name + ".dst", core::LineText(text)};
}

std::unique_ptr<core::LookupIndex> Index(std::vector<core::WordBankText> banks,
                                         const std::vector<std::string>& sentences) {
    core::LookupFiles files;
    files.banks = std::move(banks);
    std::string text;
    for (const auto& line : sentences) {
        text += line + "\n";
    }
    files.corpus = core::LineText(text);
    return std::make_unique<core::LookupIndex>(std::move(files));
}

class LookupIndexTest : public ::testing::Test {
protected:
    LookupIndexTest()
        : index(Index({Bank("中考词汇", {"Apple[A]n.苹果公司", "apple[Apl]n.苹果",
                                         "apple[x]n.又一个", "cat[kAt]n.猫", "no bracket 苹果"}),
                       Bank("四级词汇", {"pear[pZE]n.梨", "apple[Apl]n.苹果；苹果树",
                                         "ice cream[aIs]n.冰淇淋"}),
                       Bank("GRE词汇", {"aple[x]n.错", "Cat[kAt]n.猫科", "cats[kAts]n.猫（复数）",
                                        "cot[kCt]n.小床", "at[At]prep.在"})},
                      {"A cat sat.‖一只猫坐着。", "concatenate cat‖连接猫", "cat, dog.‖猫，狗。",
                       "I saw a cat.‖我看见一只猫。", "Cats cat.‖猫。",
                       "I like ice cream a lot.‖我喜欢冰淇淋。"})) {}

    std::vector<std::pair<std::size_t, std::size_t>> Banks(const std::string& query,
                                                           BankMatch match) {
        std::vector<std::pair<std::size_t, std::size_t>> out;
        for (const auto& hit : index->FindBanks(query, match)) {
            out.emplace_back(hit.bank, hit.line);
        }
        return out;
    }

    std::unique_ptr<core::LookupIndex> index;
};

using Hits = std::vector<std::pair<std::size_t, std::size_t>>;

TEST_F(LookupIndexTest, BankHitsFirstLinePerBank) {
    struct Case {
        const char* query;
        BankMatch match;
        Hits hits;
    };
    const Case cases[] = {
        {"apple", BankMatch::WholeWord, {{0, 1}, {1, 1}}}, // not "Apple"; one per bank
        {"Apple", BankMatch::WholeWord, {{0, 0}}},
        {"ice cream", BankMatch::WholeWord, {{1, 2}}},
        {"cat", BankMatch::WholeWord, {{0, 3}}},
        {"dog", BankMatch::WholeWord, {}},
        {"苹果", BankMatch::Containment, {{0, 0}, {1, 1}}},
        {"猫", BankMatch::Containment, {{0, 3}, {2, 1}}},
        {"复数", BankMatch::Containment, {{2, 2}}},
        {"没有", BankMatch::Containment, {}},
        {"", BankMatch::WholeWord, {}},
        {"", BankMatch::Containment, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Banks(c.query, c.match), c.hits) << c.query;
    }
    const auto hits = index->FindBanks("apple", BankMatch::WholeWord);
    ASSERT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits[1].bankName, "四级词汇");
    EXPECT_EQ(hits[1].entry, "apple[Apl]n.苹果；苹果树");
}

TEST_F(LookupIndexTest, SentencesByTheRules) {
    struct Case {
        const char* query;
        std::vector<std::size_t> lines;
    };
    const Case cases[] = {
        {"cat", {0, 2, 3, 4}}, // not "concatenate cat": its first occurrence is inside a word
        {"Cats", {4}},         {"ice cream", {5}}, {"猫", {0, 1, 2, 3, 4}},
        {"dog", {2}},          {"bird", {}},       {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(index->FindSentences(c.query), c.lines) << c.query;
    }
    EXPECT_EQ(index->FindSentences("cat", 2), (std::vector<std::size_t>{0, 2}));
}

TEST_F(LookupIndexTest, CloseWordsCaseVariantsFirstThenOneLetterEdits) {
    struct Case {
        const char* query;
        std::vector<std::string> words;
    };
    const Case cases[] = {
        {"CAT", {"cat", "Cat", "cats", "cot", "at"}}, // then in search order
        {"appel", {}},                                // two letters swapped are two edits
        {"aplpe", {"aple"}},                          // one letter removed
        {"appl", {"apple", "Apple"}},                 // apple is in two banks: it comes first
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(index->CloseWords(c.query), c.words) << c.query;
    }
    EXPECT_EQ(index->CloseWords("CAT", 2), (std::vector<std::string>{"cat", "Cat"}));
}

TEST_F(LookupIndexTest, ReportsItsMemory) {
    EXPECT_GT(index->MemoryBytes(), index->Corpus().Text().size());
}

TEST(LookupIndexPartial, StoppedBuildStillAnswersLikeTheScan) {
    core::LookupFiles files;
    files.banks.push_back(Bank("甲", {"cat[k]n.猫", "cat[k]n.猫2"}));
    files.corpus = core::LineText("A cat sat.‖猫\n");
    int calls = 0;
    const core::LookupIndex index(std::move(files), [&] { return ++calls > 2; });
    EXPECT_FALSE(index.Complete());
    EXPECT_EQ(index.FindBanks("cat", BankMatch::WholeWord).size(), 1u);
    EXPECT_EQ(index.FindBanks("猫", BankMatch::Containment).size(), 1u);
    EXPECT_EQ(index.FindSentences("cat"), (std::vector<std::size_t>{0}));
}

// ---- files ----

class LookupFilesTest : public ::testing::Test {
protected:
    void Write(const std::string& relative, const std::vector<std::string>& lines) {
        ASSERT_TRUE(core::WriteTextLines(dir.File(relative), lines));
    }
    TestDir dir;
};

TEST_F(LookupFilesTest, CatalogueOrderThenOtherBanksByName) {
    std::filesystem::create_directories(dir.File("Worddata"));
    std::filesystem::create_directories(dir.File("Worddata/folder.dst"));
    Write("Ebook.txt", {"高考", "missing", "中考", "高考", "../Worddata/zz"});
    for (const char* name : {"zz.dst", "高考.dst", "中考.dst", "b.v2.dst", "UPPER.DST", "a.txt"}) {
        Write(std::string("Worddata/") + name, {"x[y]z"});
    }
    std::vector<std::string> names;
    for (const auto& path : core::LookupBankPaths(dir.AppDir())) {
        ASSERT_EQ(path.rfind(dir.AppDir() + "Worddata/", 0), 0u) << path;
        names.push_back(path.substr(dir.AppDir().size() + 9));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"高考.dst", "中考.dst", "UPPER.DST", "b.v2.dst",
                                               "zz.dst"}));
    EXPECT_EQ(core::BankDisplayName(dir.AppDir() + "Worddata/b.v2.dst"), "b");
}

TEST_F(LookupFilesTest, TheLearnersOwnBanksFollowTheInstalledOnes) {
    std::filesystem::create_directories(dir.File("data/Worddata"));
    std::filesystem::create_directories(dir.File("home/Worddata"));
    Write("data/Ebook.txt", {"高考"});
    Write("data/Worddata/高考.dst", {"x[y]z"});
    Write("home/Ebook.txt", {"自己的"});
    Write("home/Worddata/自己的.dst", {"x[y]z"});
    Write("home/Worddata/高考.dst", {"x[y]z"}); // shadowed: the installed bank of that name
    const std::string data = dir.AppDir() + "data/";
    const std::string home = dir.AppDir() + "home/";
    EXPECT_EQ(core::LookupBankPaths(data, home),
              (std::vector<std::string>{data + "Worddata/高考.dst", home + "Worddata/自己的.dst"}));
    EXPECT_EQ(core::LookupBankPaths(data, data), core::LookupBankPaths(data));
}

TEST_F(LookupFilesTest, UnreadableBankIsSkippedAndListedOnce) {
    std::filesystem::create_directories(dir.File("Worddata"));
    Write("Ebook.txt", {"一", "二"});
    Write("Worddata/一.dst", {"cat[k]n.猫"});
    // A link to nowhere: listed like a bank, but it cannot be read (even by root).
    std::filesystem::create_symlink(dir.File("nowhere"), dir.File("Worddata/二.dst"));
    Write("Worddata/三.dst", {"cat[k]n.猫科"});
    Write("Worddata/sentence34085.txt", {"A cat sat.‖一只猫坐着。"});
    core::LookupFiles files;
    ASSERT_TRUE(core::ReadLookupFiles(dir.AppDir(), files));
    ASSERT_EQ(files.failures.size(), 1u);
    EXPECT_EQ(files.failures[0].file, dir.AppDir() + "Worddata/二.dst");
    EXPECT_EQ(files.failures[0].what, core::Failure::Open);
    ASSERT_EQ(files.banks.size(), 2u);
    EXPECT_EQ(files.banks[0].name, "一");
    EXPECT_EQ(files.banks[1].name, "三");
    const core::LookupIndex index(std::move(files));
    EXPECT_EQ(index.FindBanks("cat", BankMatch::WholeWord).size(), 2u);
    EXPECT_EQ(index.FindSentences("cat").size(), 1u);
}

TEST_F(LookupFilesTest, MissingCorpusIsListedAndLeavesNoSentences) {
    std::filesystem::create_directories(dir.File("Worddata"));
    Write("Worddata/一.dst", {"cat[k]n.猫"});
    core::LookupFiles files;
    ASSERT_TRUE(core::ReadLookupFiles(dir.AppDir(), files));
    ASSERT_EQ(files.failures.size(), 1u);
    EXPECT_EQ(files.failures[0].file, core::SentenceCorpusPath(dir.AppDir()));
    EXPECT_TRUE(files.corpus.empty());
    EXPECT_EQ(files.banks.size(), 1u);
}

TEST_F(LookupFilesTest, StopBetweenFilesEndsTheRead) {
    std::filesystem::create_directories(dir.File("Worddata"));
    Write("Worddata/一.dst", {"cat[k]n.猫"});
    core::LookupFiles files;
    EXPECT_FALSE(core::ReadLookupFiles(dir.AppDir(), files, [] { return true; }));
    EXPECT_TRUE(files.banks.empty());
}

// ---- the index agrees with the plain scan ----

/// Random banks and corpora over a small vocabulary with many near misses, so that every
/// rule and every candidate path is met often.
class RandomTexts {
public:
    explicit RandomTexts(unsigned seed) : rng_(seed) {}

    std::string Word() { return Pick(words_); }
    std::string Wide() { return Pick(wide_); }
    std::string Query() {
        switch (rng_() % 5) {
        case 0:
            return Wide() + (rng_() % 2 ? Wide() : "");
        case 1:
            return Word() + " " + Word();
        default:
            return Word();
        }
    }
    std::string BankLine() {
        std::string line;
        const unsigned shape = rng_() % 10;
        line = shape == 0 ? Word() + " " : Word();
        if (shape != 1) {
            line.append("[").append(Word()).append("]");
        }
        for (unsigned k = rng_() % 4; k > 0; --k) {
            line += rng_() % 2 ? Wide() : Word();
        }
        return line;
    }
    std::string SentenceLine() {
        std::string english;
        for (unsigned k = 1 + rng_() % 6; k > 0; --k) {
            if (!english.empty() || rng_() % 4 == 0) {
                english += Pick(gaps_);
            }
            english += Word();
        }
        english += Pick(ends_);
        if (rng_() % 8 == 0) {
            return english; // no translation
        }
        std::string chinese;
        for (unsigned k = rng_() % 5; k > 0; --k) {
            chinese += rng_() % 4 ? Wide() : Word();
        }
        return english + "‖" + chinese;
    }
    unsigned Below(unsigned n) { return rng_() % n; }

private:
    std::string Pick(const std::vector<std::string>& from) { return from[rng_() % from.size()]; }

    std::mt19937 rng_;
    std::vector<std::string> words_ = {"cat",  "Cat",  "cats", "ca",  "at",    "a",   "concat",
                                       "cat,", "cat.", "c",    "ice", "cream", "dog", "t"};
    std::vector<std::string> wide_ = {"猫", "小猫", "狗", "的", "。", "，", "‖", "😀"};
    std::vector<std::string> gaps_ = {" ", "  ", "", ","};
    std::vector<std::string> ends_ = {"", ".", "?!", "...", " .", "。", "x"};
};

TEST(LookupIndexProperty, AgreesWithThePlainScan) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        RandomTexts random(seed);
        core::LookupFiles files;
        for (unsigned b = random.Below(4) + 1; b > 0; --b) {
            std::string text;
            for (unsigned k = random.Below(40); k > 0; --k) {
                text += random.BankLine() + "\r\n";
            }
            // Appended: `"b" + std::to_string(b)` draws a false -Wrestrict from GCC 12 at -O3.
            files.banks.push_back(
                {std::string("b").append(std::to_string(b)), "", core::LineText(text)});
        }
        std::string corpus;
        for (unsigned k = random.Below(120); k > 0; --k) {
            corpus += random.SentenceLine() + "\n";
        }
        files.corpus = core::LineText(corpus);
        const core::LookupFiles copy = files;
        const core::LookupIndex index(std::move(files));
        for (int q = 0; q < 40; ++q) {
            const std::string query = random.Query();
            for (BankMatch match : {BankMatch::WholeWord, BankMatch::Containment}) {
                ASSERT_EQ(index.FindBanks(query, match), core::ScanBanks(copy.banks, query, match))
                    << "seed " << seed << " query " << query;
            }
            const std::size_t limit = random.Below(2) ? core::MaxSentences : 1 + random.Below(4);
            ASSERT_EQ(index.FindSentences(query, limit),
                      core::ScanSentences(copy.corpus, query, limit))
                << "seed " << seed << " query " << query;
        }
    }
}

} // namespace
