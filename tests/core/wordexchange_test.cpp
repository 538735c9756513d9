#include "core/wordexchange.h"

#include "core/studystate.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using core::ExchangeGroup;
using core::ExchangeList;
using core::Failure;
using Lines = std::vector<std::string>;

// List lines that must leave the program and come back unchanged.
const Lines Exchangeable = {
    "word[wE:d]n.词；单词，字",
    "ice cream['ais kri:m]n.冰淇淋",
    "say \"hi\"[sei]v.说, 讲",
    "#tag[tAg]n.标签",
    "thanksgiving[,WANks'giviN]n.感恩节",
    "x[]没有音标",
    "y[]",
    "z[][旧]方括号开头的释义",
    "w[a] n.前面有空格的释义",
    "t[t]n.\t含制表符",
    "amp[Amp]n.<b>&amp;</b>",
};

using Writer = std::function<std::string(const std::vector<ExchangeGroup>&)>;
using Reader = std::function<core::Status(std::string_view, std::vector<core::ExchangeWord>&)>;

struct Format {
    const char* name;
    Writer write;
    Reader read;
};

const Format Formats[] = {
    {"csv", core::WriteCsv, core::ReadCsv},
    {"anki", core::WriteAnkiText, core::ReadAnkiText},
};

Lines RoundTrip(const Format& format, const std::vector<ExchangeGroup>& groups,
                std::size_t* duplicates = nullptr) {
    std::vector<core::ExchangeWord> words;
    const core::Status read = format.read(format.write(groups), words);
    EXPECT_TRUE(read) << format.name << " line " << read.line;
    core::ImportedEntries entries;
    const core::Status built = core::EntriesFromWords(words, entries);
    EXPECT_TRUE(built) << format.name << " line " << built.line;
    if (duplicates != nullptr) {
        *duplicates = entries.duplicates;
    }
    return entries.lines;
}

TEST(WordExchange, ListLinesComeBackUnchanged) {
    std::size_t skipped = 0;
    const ExchangeGroup group = core::GroupFromLines(ExchangeList::Mastered, Exchangeable, skipped);
    ASSERT_EQ(skipped, 0u);
    ASSERT_EQ(group.words.size(), Exchangeable.size());
    for (const Format& format : Formats) {
        EXPECT_EQ(RoundTrip(format, {group}), Exchangeable) << format.name;
    }
}

TEST(WordExchange, AllThreeListsComeBackInOrderWithoutRepeats) {
    std::size_t skipped = 0;
    const std::vector<ExchangeGroup> groups = {
        core::GroupFromLines(ExchangeList::New, {"a[ei]art.一", "b[bi:]n.字母B"}, skipped),
        core::GroupFromLines(ExchangeList::Mastered, {"c[si:]n.字母C"}, skipped),
        core::GroupFromLines(ExchangeList::Review, {"A[ei]art.一", "d[di:]n.字母D"}, skipped),
    };
    for (const Format& format : Formats) {
        std::size_t duplicates = 0;
        EXPECT_EQ(RoundTrip(format, groups, &duplicates),
                  (Lines{"a[ei]art.一", "b[bi:]n.字母B", "c[si:]n.字母C", "d[di:]n.字母D"}))
            << format.name;
        EXPECT_EQ(duplicates, 1u) << format.name;
    }
}

TEST(WordExchange, FilesCarryRealIpaAndTheFormatsMarks) {
    std::size_t skipped = 0;
    const ExchangeGroup one =
        core::GroupFromLines(ExchangeList::New, {"word[wE:d]n.词, 字", "a\"b[]c"}, skipped);
    ExchangeGroup two = one;
    two.list = ExchangeList::Review;
    struct Case {
        const char* what;
        std::string written;
        std::string expected;
    };
    const Case cases[] = {
        {"csv, one list", core::WriteCsv({one}),
         "\xEF\xBB\xBFword,ipa,meaning\r\nword,wəːd,\"n.词, 字\"\r\n\"a\"\"b\",,c\r\n"},
        {"csv, two lists", core::WriteCsv({one, two}),
         "\xEF\xBB\xBFword,ipa,meaning,list\r\nword,wəːd,\"n.词, 字\",new\r\n\"a\"\"b\",,c,new\r\n"
         "word,wəːd,\"n.词, 字\",review\r\n\"a\"\"b\",,c,review\r\n"},
        {"anki", core::WriteAnkiText({one}),
         "#separator:tab\n#html:false\n#columns:Front\tBack\tTags\n#tags column:3\n"
         "word\t[wəːd] n.词, 字\tlangjitong::new\n\"a\"\"b\"\tc\tlangjitong::new\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.written, c.expected) << c.what;
    }
}

TEST(WordExchange, EntriesThatCannotLeaveTheProgramAreCounted) {
    struct Case {
        std::string line;
        bool exchangeable;
    };
    const Case cases[] = {
        {"good[gud]adj.好的", true}, {"  padded[p]x  ", true}, {"no brackets at all", false},
        {"[ipa]no word", false},     {"open[only", false},     {"close]before[x]", false},
        {"   ", false /* blank */},  {"", false /* empty */},
    };
    Lines lines;
    std::size_t expectedSkipped = 0;
    for (const Case& c : cases) {
        EXPECT_EQ(core::EntryExchangeable(c.line), c.exchangeable) << c.line;
        lines.push_back(c.line);
        if (!c.exchangeable && !c.line.empty() && c.line != "   ") {
            ++expectedSkipped;
        }
    }
    std::size_t skipped = 0;
    const ExchangeGroup group = core::GroupFromLines(ExchangeList::New, lines, skipped);
    EXPECT_EQ(skipped, expectedSkipped);
    ASSERT_EQ(group.words.size(), 2u);
    EXPECT_EQ(group.words[1].word, "padded");
}

struct ReadCase {
    const char* what;
    Reader read;
    std::string input;
    Lines entries; ///< expected entry lines
};

TEST(WordExchange, ReadsFilesOfOtherTrainers) {
    const ReadCase cases[] = {
        {"csv with Chinese header",
         core::ReadCsv,
         "单词,音标,释义\nword,wəːd,n.词\n",
         {"word[wE:d]n.词"}},
        {"csv header in another order with extra columns",
         core::ReadCsv,
         "meaning,note,Word\r\nn.猫,pet,cat\r\n",
         {"cat[]n.猫"}},
        {"csv without header, two columns, phonetic in the meaning",
         core::ReadCsv,
         "cat,[kæt] n.猫\ndog,n.狗\n",
         {"cat[kAt]n.猫", "dog[]n.狗"}},
        {"csv without header, three columns, BOM, blank rows, slashes",
         core::ReadCsv,
         "\xEF\xBB\xBF"
         "cat,/kæt/,n.猫\n\n,,\nthink, θɪŋk ,v.想\n",
         {"cat[kAt]n.猫", "think[WiNk]v.想"}},
        {"csv quoted field over two lines",
         core::ReadCsv,
         "word,meaning\n\"sun\",\"n.太阳\n恒星\"\n",
         {"sun[]n.太阳 恒星"}},
        {"csv repeated word in another case", core::ReadCsv, "Cat,n.猫\ncat,n.猫\n", {"Cat[]n.猫"}},
        {"anki basic notes",
         core::ReadAnkiText,
         "cat\t[kæt] n.猫\ndog\tn.狗\n",
         {"cat[kAt]n.猫", "dog[]n.狗"}},
        {"anki headers: comma, html, tags and deck columns, comments",
         core::ReadAnkiText,
         "#separator:Comma\n#html:true\n#deck column:1\n#tags column:4\n# a comment\n"
         "英语,cat,n.猫&amp;<b>狗</b>&#x41;,animal\n# another\n英语,ox,n.牛<br>公牛,\n",
         {"cat[]n.猫&狗A", "ox[]n.牛 公牛"}},
        {"anki three columns", core::ReadAnkiText, "cat\tkæt\tn.猫\n", {"cat[kAt]n.猫"}},
    };
    for (const ReadCase& c : cases) {
        std::vector<core::ExchangeWord> words;
        const core::Status read = c.read(c.input, words);
        ASSERT_TRUE(read) << c.what << ": failure " << static_cast<int>(read.what) << " at line "
                          << read.line;
        core::ImportedEntries entries;
        ASSERT_TRUE(core::EntriesFromWords(words, entries)) << c.what;
        EXPECT_EQ(entries.lines, c.entries) << c.what;
    }
}

TEST(WordExchange, BadFilesNameTheLine) {
    struct Case {
        const char* what;
        Reader read;
        std::string input;
        Failure failure;
        int line;
    };
    const Case cases[] = {
        {"one column", core::ReadCsv, "apple\nbanana\n", Failure::ImportNoColumns, 1},
        {"one column in an Anki file", core::ReadAnkiText, "#html:false\napple\n",
         Failure::ImportNoColumns, 2},
        {"only the tags column besides the word", core::ReadAnkiText,
         "#tags column:2\napple\tfruit\n", Failure::ImportNoColumns, 2},
        {"GBK bytes", core::ReadCsv, "cat,n.cat\nword,n.\xB5\xA5\xB4\xCA\n",
         Failure::ImportEncoding, 2},
        {"broken UTF-8 on line 3", core::ReadCsv, "a,b\r\nc,d\r\ne,\xE4\xB8\r\n",
         Failure::ImportEncoding, 3},
        {"binary data", core::ReadAnkiText, std::string("a\tb\nc\t\0d\n", 9),
         Failure::ImportEncoding, 2},
        {"a row with another column count", core::ReadCsv, "a,b,c\nd,e,f\ng,h\n",
         Failure::ImportColumnCount, 3},
        {"unclosed quote", core::ReadCsv, "a,b\nc,\"d\ne,f\n", Failure::ImportUnclosedQuote, 2},
        {"empty word", core::ReadCsv, "word,meaning\ncat,n.猫\n  ,n.空\n", Failure::ImportEmptyWord,
         3},
        {"bracket in a word", core::ReadAnkiText, "cat\tn.猫\nc[a]t\tn.猫\n",
         Failure::ImportBadWord, 2},
        {"closing bracket in a phonetic", core::ReadCsv, "cat,kæ]t,n.猫\n", Failure::ImportBadWord,
         1},
        {"header only", core::ReadCsv, "word,ipa,meaning\r\n", Failure::ImportNoWords, 0},
        {"empty file", core::ReadAnkiText, "", Failure::ImportNoWords, 0},
    };
    for (const Case& c : cases) {
        std::vector<core::ExchangeWord> words;
        core::Status status = c.read(c.input, words);
        if (status) {
            core::ImportedEntries entries;
            status = core::EntriesFromWords(words, entries);
            EXPECT_TRUE(entries.lines.empty()) << c.what;
        }
        EXPECT_FALSE(status) << c.what;
        EXPECT_EQ(status.what, c.failure) << c.what;
        EXPECT_EQ(status.line, c.line) << c.what;
    }
}

TEST(WordExchange, ImportedWordsJoinTheNewListUnlessListedAlready) {
    core::StudyState state;
    state.NewList.Replace({"one[wQn]num.一"});
    state.MasteredList.Replace({"two[tu:]num.二"});
    state.ReviewList.Replace({"three[Wri:]num.三"});
    state.NewCount = 1;
    std::vector<std::string> texts;
    state.OnText = [&texts](core::StatText, const std::string& text) { texts.push_back(text); };

    // By word: another meaning or phonetic of a listed word is the same word, and a word the
    // file repeats comes in once.
    const auto count = state.AddImportedWords(
        {"ONE[wQn]num.一", "Two[tu:]num.二", "three[Wri:]num.三", "four[fC:]num.四", "",
         "two[tu]n.两", " Three [Wri:]adj.三个", "five[faIv]num.五", "FIVE[faIv]num.伍"});
    EXPECT_EQ(count.added, 2u);
    EXPECT_EQ(count.alreadyListed, 7u);
    EXPECT_EQ(state.NewList.Lines(),
              (Lines{"one[wQn]num.一", "four[fC:]num.四", "five[faIv]num.五"}));
    EXPECT_EQ(state.NewCount, 3);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "单词总数量3个"), texts.end());
}

} // namespace
