#include "core/wordlist.h"

#include "core/wordentry.h"

#include <gtest/gtest.h>
#include <random>

namespace {

TEST(WordList, ReadingOutsideTheListGivesAnEmptyLine) {
    core::WordList list;
    list.Replace({"a", "b"});
    EXPECT_EQ(list.Line(0), "a");
    EXPECT_EQ(list.Line(1), "b");
    EXPECT_EQ(list.Line(2), "");
    EXPECT_EQ(list.Line(-1), "");
    EXPECT_EQ(list.Line(1LL << 40), "");
}

TEST(WordList, RemovingOutsideTheListChangesNothing) {
    core::WordList list;
    list.Replace({"a", "b", "c"});
    EXPECT_FALSE(list.RemoveAt(3));
    EXPECT_FALSE(list.RemoveAt(-1));
    EXPECT_EQ(list.size(), 3u);
    EXPECT_TRUE(list.RemoveAt(1));
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"a", "c"}));
}

TEST(WordList, EmptyAndBlankLinesAreRefusedOnAppend) {
    core::WordList list;
    for (const char* blank : {"", "   ", " \t ", "\x01"}) {
        EXPECT_FALSE(list.Append(blank)) << "[" << blank << "]";
    }
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(list.Append(" a "));
    list.Replace({"a", "", "b"});
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(list.Line(1), "");
}

TEST(WordList, EveryChangeStepsTheGenerationAndCallsTheHook) {
    core::WordList list;
    int calls = 0;
    list.SetChangeHook([&] { ++calls; });
    const auto start = list.Generation();
    list.Replace({"a"});
    EXPECT_TRUE(list.Append("b"));
    EXPECT_TRUE(list.RemoveAt(0));
    EXPECT_FALSE(list.RemoveAt(5)); // nothing changed
    EXPECT_FALSE(list.Append(" "));
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(list.Generation(), start + 3);
}

TEST(WordList, DuplicateIndexFollowsEveryChange) {
    core::WordList list;
    list.Replace({"Apple[x]n.苹果", "pear[y]n.梨", "pear[y]n.梨"});
    struct Step {
        const char* query;
        bool present;
    };
    auto check = [&](std::initializer_list<Step> steps, const char* when) {
        for (const auto& s : steps) {
            EXPECT_EQ(list.ContainsIgnoringCase(s.query), s.present) << when << ": " << s.query;
        }
    };
    check({{"apple[x]n.苹果", true},
           {"APPLE[X]N.苹果", true},
           {"apple", false},
           {"apple[x]n.苹果 ", false}},
          "after load");
    list.RemoveAt(1); // one of the two pears
    check({{"PEAR[Y]N.梨", true}}, "after removing one copy");
    list.RemoveAt(1);
    check({{"pear[y]n.梨", false}}, "after removing both copies");
    list.Append("Kiwi[k]n.猕猴桃");
    check({{"kiwi[k]n.猕猴桃", true}}, "after append");
    list.Replace({});
    check({{"apple[x]n.苹果", false}, {"kiwi[k]n.猕猴桃", false}}, "after replace");
    // Changes made after a load and before its first duplicate test count too.
    list.Replace({"a[a]x", "B[b]y", "a[a]x", "c[c]z"});
    list.Append("D[d]w");
    list.RemoveAt(0);
    list.RemoveAt(2);
    check({{"A[A]X", true}, {"b[b]y", true}, {"c[c]z", false}, {"d[d]w", true}},
          "after changes before the first test");
}

TEST(WordList, ObserverHearsEachChange) {
    core::WordList list;
    std::vector<std::pair<core::WordList::Change, std::size_t>> heard;
    list.SetObserver(
        [&](core::WordList::Change c, std::size_t pos) { heard.emplace_back(c, pos); });
    list.Replace({"a", "b"});
    list.Append("c");
    list.RemoveAt(0);
    list.RemoveAt(9); // nothing removed, nothing heard
    ASSERT_EQ(heard.size(), 3u);
    EXPECT_EQ(heard[0].first, core::WordList::Change::Reset);
    EXPECT_EQ(heard[1], std::make_pair(core::WordList::Change::Appended, std::size_t{2}));
    EXPECT_EQ(heard[2], std::make_pair(core::WordList::Change::Removed, std::size_t{0}));
}

TEST(WordList, IndexAgreesWithAPlainScanOverManyChanges) {
    // Random appends, removals and reloads on a small vocabulary, so that keys come back
    // after being removed and the table grows several times; every answer is checked
    // against a plain case-insensitive scan of the lines.
    const std::vector<std::string> words = {
        "a[a]x",          "A[A]X",      "b[b]y",      "Word[wE:d]n.词",
        "WORD[WE:D]N.词", "ΑΒΓ[x]希腊", "αβγ[x]希腊", "c "};
    std::mt19937 rng(12345);
    core::WordList list;
    auto plainContains = [&](const std::string& text) {
        for (const auto& line : list.Lines()) {
            if (core::FoldCase(line) == core::FoldCase(text)) {
                return true;
            }
        }
        return false;
    };
    for (int step = 0; step < 4000; ++step) {
        const int op = static_cast<int>(rng() % 10);
        if (op < 5) {
            list.Append(words[rng() % words.size()] + std::to_string(rng() % 40));
        } else if (op < 9 && !list.empty()) {
            list.RemoveAt(static_cast<long long>(rng() % list.size()));
        } else if (op == 9 && step % 50 == 9) {
            list.Replace({words[0], words[3], words[1] + "7", words[4] + "7"});
        }
        // Not after every change: several changes, a reload among them, may come between
        // two duplicate tests.
        if (rng() % 3 != 0) {
            continue;
        }
        const std::string probe = words[rng() % words.size()] + std::to_string(rng() % 40);
        ASSERT_EQ(list.ContainsIgnoringCase(probe), plainContains(probe))
            << "step " << step << " probe " << probe;
    }
}

} // namespace
