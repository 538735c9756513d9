#include "core/wordexchange.h"

#include "core/studystate.h"

#include <gtest/gtest.h>

#include <algorithm>
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

/// The text as UTF-16 bytes in the given order.
std::string Utf16(std::u16string_view text, bool littleEndian) {
    std::string out;
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += littleEndian ? std::string{low, high} : std::string{high, low};
    }
    return out;
}

// The readers without a progress report.
core::Status ReadCsvText(std::string_view bytes, std::vector<core::ExchangeWord>& words) {
    return core::ReadCsv(bytes, words);
}
core::Status ReadAnki(std::string_view bytes, std::vector<core::ExchangeWord>& words) {
    return core::ReadAnkiText(bytes, words);
}

using Writer = std::function<std::string(const std::vector<ExchangeGroup>&)>;
using Reader = std::function<core::Status(std::string_view, std::vector<core::ExchangeWord>&)>;

struct Format {
    const char* name;
    Writer write;
    Reader read;
};

const Format Formats[] = {
    {"csv", core::WriteCsv, ReadCsvText},
    {"anki", core::WriteAnkiText, ReadAnki},
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
         ReadCsvText,
         "单词,音标,释义\nword,wəːd,n.词\n",
         {"word[wE:d]n.词"}},
        {"csv header in another order with extra columns",
         ReadCsvText,
         "meaning,note,Word\r\nn.猫,pet,cat\r\n",
         {"cat[]n.猫"}},
        {"csv without header, two columns, phonetic in the meaning",
         ReadCsvText,
         "cat,[kæt] n.猫\ndog,n.狗\n",
         {"cat[kAt]n.猫", "dog[]n.狗"}},
        {"csv without header, three columns, BOM, blank rows, slashes",
         ReadCsvText,
         "\xEF\xBB\xBF"
         "cat,/kæt/,n.猫\n\n,,\nthink, θɪŋk ,v.想\n",
         {"cat[kAt]n.猫", "think[WiNk]v.想"}},
        {"csv quoted field over two lines",
         ReadCsvText,
         "word,meaning\n\"sun\",\"n.太阳\n恒星\"\n",
         {"sun[]n.太阳 恒星"}},
        {"csv repeated word in another case", ReadCsvText, "Cat,n.猫\ncat,n.猫\n", {"Cat[]n.猫"}},
        {"anki basic notes",
         ReadAnki,
         "cat\t[kæt] n.猫\ndog\tn.狗\n",
         {"cat[kAt]n.猫", "dog[]n.狗"}},
        {"anki headers: comma, html, tags and deck columns, comments",
         ReadAnki,
         "#separator:Comma\n#html:true\n#deck column:1\n#tags column:4\n# a comment\n"
         "英语,cat,n.猫&amp;<b>狗</b>&#x41;,animal\n# another\n英语,ox,n.牛<br>公牛,\n",
         {"cat[]n.猫&狗A", "ox[]n.牛 公牛"}},
        {"anki three columns", ReadAnki, "cat\tkæt\tn.猫\n", {"cat[kAt]n.猫"}},
        {"csv written by Excel on a Chinese Windows (GBK)",
         ReadCsvText,
         "cat,n.cat\nword,n.\xB5\xA5\xB4\xCA\n",
         {"cat[]n.cat", "word[]n.单词"}},
        {"csv in GB18030 with a four-byte character",
         ReadCsvText,
         "dog,n.\xB9\xB7\x95\x32\x82\x36\n",
         {"dog[]n.狗𠀀"}},
        {"csv in UTF-16 with a byte-order mark",
         ReadCsvText,
         Utf16(u"\uFEFFcat,n.猫\r\n", true),
         {"cat[]n.猫"}},
        {"csv in big-endian UTF-16 without one",
         ReadCsvText,
         Utf16(u"word,meaning\ndog,n.狗\n", false),
         {"dog[]n.狗"}},
        {"semicolon csv with a header",
         ReadCsvText,
         "word;ipa;meaning\ncat;kæt;n.猫, 猫科\n",
         {"cat[kAt]n.猫, 猫科"}},
        {"semicolon csv whose meanings hold commas",
         ReadCsvText,
         "cat;n.猫, 猫科\ndog;n.狗\n",
         {"cat[]n.猫, 猫科", "dog[]n.狗"}},
        {"KWordQuiz csv: tabs, title and author lines",
         ReadCsvText,
         "Title:\tAnimals\nAuthor:\tPeter\ncat\tn.猫, 猫科\ndog\tn.狗\n",
         {"cat[]n.猫, 猫科", "dog[]n.狗"}},
        {"KWordQuiz csv saved as .txt",
         ReadAnki,
         "Title:\tAnimals\r\nAuthor:\t\r\ncat\tn.猫\r\n",
         {"cat[]n.猫"}},
        {"after Anki's headers a line starting \"Title:\" is a note",
         ReadAnki,
         "#separator:tab\nTitle:\tn.标题\n",
         {"Title:[]n.标题"}},
        {"old Anki notes in plain text: fields, then tags",
         ReadAnki,
         "apple\t[ˈæpl] n.苹果\tfruit food\nbanana\tn.香蕉\tfruit\ncherry\tn.樱桃\t\n",
         {"apple['Apl]n.苹果", "banana[]n.香蕉", "cherry[]n.樱桃"}},
        {"an English-only list whose phonetics are its only UTF-8",
         ReadAnki,
         "think\tθɪŋk\tto use the mind\n",
         {"think[WiNk]to use the mind"}},
        {"a word the file repeats with another meaning comes in once",
         ReadCsvText,
         "cat,n.猫\nCAT,v.吊起\n",
         {"cat[]n.猫"}},
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
        {"one column", ReadCsvText, "apple\nbanana\n", Failure::ImportNoColumns, 1},
        {"one column in an Anki file", ReadAnki, "#html:false\napple\n", Failure::ImportNoColumns,
         2},
        {"only the tags column besides the word", ReadAnki, "#tags column:2\napple\tfruit\n",
         Failure::ImportNoColumns, 2},
        {"a byte of no encoding on line 3", ReadCsvText, "a,b\r\nc,d\r\ne,\xE4\xB8\xFF\r\n",
         Failure::ImportEncoding, 3},
        {"broken UTF-8 after a byte-order mark", ReadAnki,
         "\xEF\xBB\xBF"
         "a\tb\nc\t\xE4\xB8\n",
         Failure::ImportEncoding, 2},
        {"UTF-16 with a lone surrogate", ReadCsvText,
         std::string("\xFF\xFE"
                     "a\0,\0\x00\xDC",
                     8),
         Failure::ImportEncoding, 0},
        {"binary data", ReadAnki, std::string("a\tb\nc\t\0d\n", 9), Failure::ImportEncoding, 2},
        {"a row with another column count", ReadCsvText, "a,b,c\nd,e,f\ng,h\n",
         Failure::ImportColumnCount, 3},
        {"unclosed quote", ReadCsvText, "a,b\nc,\"d\ne,f\n", Failure::ImportUnclosedQuote, 2},
        {"empty word", ReadCsvText, "word,meaning\ncat,n.猫\n  ,n.空\n", Failure::ImportEmptyWord,
         3},
        {"bracket in a word", ReadAnki, "cat\tn.猫\nc[a]t\tn.猫\n", Failure::ImportBadWord, 2},
        {"closing bracket in a phonetic", ReadCsvText, "cat,kæ]t,n.猫\n", Failure::ImportBadWord,
         1},
        {"header only", ReadCsvText, "word,ipa,meaning\r\n", Failure::ImportNoWords, 0},
        {"empty file", ReadAnki, "", Failure::ImportNoWords, 0},
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

TEST(WordExchange, CsvFieldsNeverStartAFormula) {
    // A spreadsheet takes a cell that starts with one of "=+-@" for a formula; the apostrophe
    // makes it text and is taken away again on reading.
    struct Case {
        std::string word;
        std::string written; ///< the word's cell
    };
    const Case cases[] = {
        {"=1+1", "'=1+1"},
        {"+86 10", "'+86 10"},
        {"-ism", "'-ism"},
        {"@home", "'@home"},
        {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
        {"'=x", "''=x"},
        {"''", "'''"},
        {"'tis", "'tis"},
        {"'", "'"},
        {"a=b", "a=b"},
    };
    for (const Case& c : cases) {
        ExchangeGroup group;
        group.words.push_back({c.word, "", "n.词", 0});
        const std::string csv = core::WriteCsv({group});
        EXPECT_EQ(csv.substr(csv.find("\r\n") + 2), c.written + ",,n.词\r\n") << c.word;
        std::vector<core::ExchangeWord> back;
        ASSERT_TRUE(core::ReadCsv(csv, back)) << c.word;
        ASSERT_EQ(back.size(), 1u) << c.word;
        EXPECT_EQ(back[0].word, c.word);
    }
}

TEST(WordExchange, ImportedWordsLeaveAndComeBackUnchanged) {
    struct Case {
        const char* what;
        Reader read;
        std::string input;
    };
    const Case cases[] = {
        // Control characters in a phonetic between slashes, one pair left inside.
        {"fuzz: slashes around slashes", ReadAnki,
         std::string("H\t\x01/\x01/r\x01\x01"
                     "F//\t,",
                     14)},
        {"slashes twice", ReadCsvText, "cat,//kæt//,n.猫\n"},
        {"formula characters everywhere", ReadCsvText, "=a,+b,-c\n'@d,'-e,@f\n"},
    };
    for (const Case& c : cases) {
        std::vector<core::ExchangeWord> words;
        ASSERT_TRUE(c.read(c.input, words)) << c.what;
        core::ImportedEntries entries;
        ASSERT_TRUE(core::EntriesFromWords(words, entries)) << c.what;
        std::size_t skipped = 0;
        const ExchangeGroup group = core::GroupFromLines(ExchangeList::New, entries.lines, skipped);
        ASSERT_EQ(skipped, 0u) << c.what;
        for (const Format& format : Formats) {
            EXPECT_EQ(RoundTrip(format, {group}), entries.lines)
                << c.what << " via " << format.name;
        }
    }
}

TEST(WordExchange, EmptyEntriesArePassedOverAndCounted) {
    const std::vector<core::ExchangeWord> words = {
        {"cat", "kæt", "n.猫", 1}, {"", "", "", 2}, {" ", "\t", "\r\n", 3}, {"dog", "", "n.狗", 4}};
    core::ImportedEntries entries;
    ASSERT_TRUE(core::EntriesFromWords(words, entries));
    EXPECT_EQ(entries.lines, (Lines{"cat[kAt]n.猫", "dog[]n.狗"}));
    EXPECT_EQ(entries.blanks, 2u);
    // A meaning without its word is still a fault of the file.
    const core::Status noWord = core::EntriesFromWords({{"", "", "n.鸟", 5}}, entries);
    EXPECT_EQ(noWord.what, Failure::ImportEmptyWord);
    EXPECT_EQ(noWord.line, 5);
}

TEST(WordExchange, ALongReadReportsProgressAndStopsWhenTold) {
    std::string csv;
    for (int i = 0; i < 20000; ++i) {
        csv.append("w").append(std::to_string(i)).append(",n.词\n");
    }
    std::vector<double> seen;
    std::vector<core::ExchangeWord> words;
    ASSERT_TRUE(core::ReadCsv(csv, words, [&seen](double done) {
        seen.push_back(done);
        return true;
    }));
    EXPECT_EQ(words.size(), 20000u);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(seen.back(), 0.5);
    EXPECT_LE(seen.back(), 1.0);

    const core::Status stopped = core::ReadCsv(csv, words, [](double done) { return done < 0.3; });
    EXPECT_EQ(stopped.what, Failure::ImportCancelled);
    core::ImportedEntries entries;
    std::vector<core::ExchangeWord> all(10000, core::ExchangeWord{"w", "", "m", 1});
    const core::Status built =
        core::EntriesFromWords(all, entries, [](double done) { return done < 0.5; });
    EXPECT_EQ(built.what, Failure::ImportCancelled);
    EXPECT_TRUE(entries.lines.empty());
}

} // namespace
