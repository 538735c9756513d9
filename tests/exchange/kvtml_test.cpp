#include "exchange/kvtml.h"
#include "exchange/wordfiles.h"

#include "core/studystate.h"
#include "core/textfile.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

core::ImportedEntries Import(const QString& path) {
    core::ImportedEntries entries;
    const core::Status status = exchange::ImportWordFile(path, entries);
    EXPECT_TRUE(status) << path.toStdString() << ": failure " << static_cast<int>(status.what)
                        << " at line " << status.line << " " << status.detail;
    return entries;
}

// A collection saved by Parley, written by hand: English is the second identifier, texts
// span lines, carry markup and entities, one entry has no meaning, one repeats another.
TEST(Kvtml, AParleyCollectionImports) {
    const core::ImportedEntries entries = Import(QStringLiteral(LJT_TEST_DATA "parley.kvtml"));
    EXPECT_EQ(entries.lines, (Lines{"cat[kAt]n.猫", "thought[WC:t]n.思想； 想法",
                                    "Tom & Jerry[]n.<猫和老鼠>", "red[red]"}));
    EXPECT_EQ(entries.duplicates, 1u);
}

TEST(Kvtml, ExportedListsComeBackAsTheSameLines) {
    QTemporaryDir dir;
    core::StudyState state;
    state.LearnerName = "小明";
    state.NewList.Replace(
        {"word[wE:d]n.词；单词", "ice cream['ais kri:m]n.冰淇淋", "", "not an entry"});
    state.MasteredList.Replace({"say \"hi\"[sei]v.<说>&讲", "x[]", "t[t]n.\t制表"});
    state.ReviewList.Replace({"z[][旧]释义", "WORD[wE:d]n.词；单词"});
    struct Case {
        exchange::Format format;
        const char* file;
    };
    const Case cases[] = {{exchange::Format::Kvtml, "all.kvtml"},
                          {exchange::Format::Csv, "all.csv"},
                          {exchange::Format::Anki, "all.txt"}};
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        const exchange::ExportResult result = exchange::ExportLists(
            state,
            {core::ExchangeList::New, core::ExchangeList::Mastered, core::ExchangeList::Review},
            c.format, path);
        ASSERT_TRUE(result.status) << c.file;
        EXPECT_EQ(result.words, 7u) << c.file;
        EXPECT_EQ(result.skipped, 1u) << c.file;
        const core::ImportedEntries entries = Import(path);
        EXPECT_EQ(entries.lines,
                  (Lines{"word[wE:d]n.词；单词", "ice cream['ais kri:m]n.冰淇淋",
                         "say \"hi\"[sei]v.<说>&讲", "x[]", "t[t]n.\t制表", "z[][旧]释义"}))
            << c.file;
        EXPECT_EQ(entries.duplicates, 1u) << c.file;
    }
    // The KVTML file carries the IPA and one lesson per list, as Parley shows them.
    QFile kvtml(dir.filePath(QStringLiteral("all.kvtml")));
    ASSERT_TRUE(kvtml.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(kvtml.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("<pronunciation>wəːd</pronunciation>")));
    EXPECT_TRUE(text.contains(QStringLiteral("<name>已掌握单词</name>")));
    EXPECT_TRUE(text.contains(QStringLiteral("<kvtml version=\"2.0\">")));
}

TEST(Kvtml, BrokenDocumentsNameTheLine) {
    struct Case {
        const char* what;
        const char* xml;
        core::Failure failure;
        int line;
    };
    const Case cases[] = {
        {"unclosed element",
         "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\">\n<entries>\n<entry id=\"0\">\n"
         "<translation id=\"0\"><text>cat</translation>\n</entry></entries></kvtml>\n",
         core::Failure::ImportBadXml, 5},
        {"cut short", "<kvtml version=\"2.0\">\n<entries>\n<entry id=\"0\">\n",
         core::Failure::ImportBadXml, 4},
        {"garbage after the document",
         "<kvtml>\n<entries><entry id=\"0\"><translation id=\"0\"><text>a</text></translation>"
         "<translation id=\"1\"><text>b</text></translation></entry></entries>\n</kvtml>\n<x",
         core::Failure::ImportBadXml, 4},
        {"another XML document", "<?xml version=\"1.0\"?>\n\n<html><body/></html>\n",
         core::Failure::ImportNotKvtml, 3},
        {"empty word",
         "<kvtml>\n<entries>\n<entry id=\"0\"><translation id=\"0\"><text>a</text></translation>"
         "</entry>\n<entry id=\"1\">\n<translation id=\"0\"><text> </text></translation>"
         "<translation id=\"1\"><text>b</text></translation></entry>\n</entries>\n</kvtml>\n",
         core::Failure::ImportEmptyWord, 4},
        {"no entries", "<kvtml version=\"2.0\"><entries/></kvtml>", core::Failure::ImportNoWords,
         0},
        {"KVTML 1 as KWordQuiz 0.7 wrote it",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE kvtml SYSTEM \"kvoctrain.dtd\">\n"
         "<kvtml encoding=\"UTF-8\" generator=\"kwordquiz 0.7.4\" cols=\"2\" lines=\"1\">\n"
         " <e><o l=\"en\">cat</o><t l=\"zh\">猫</t></e>\n</kvtml>\n",
         core::Failure::ImportOldKvtml, 0},
        {"KVTML 1 with a version", "<kvtml version=\"1.0\"><e><o>a</o><t>b</t></e></kvtml>",
         core::Failure::ImportOldKvtml, 0},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("broken.kvtml"));
        ASSERT_TRUE(core::WriteFileAtomic(path.toStdString(), c.xml));
        core::ImportedEntries entries;
        const core::Status status = exchange::ImportWordFile(path, entries);
        EXPECT_FALSE(status) << c.what;
        EXPECT_EQ(status.what, c.failure) << c.what;
        EXPECT_EQ(status.line, c.line) << c.what << ": " << status.detail;
        EXPECT_EQ(status.file, path.toStdString()) << c.what;
        EXPECT_TRUE(entries.lines.empty()) << c.what;
    }
}

TEST(WordFiles, TheFormatComesFromTheContentThenTheName) {
    QTemporaryDir dir;
    struct Case {
        const char* file;
        const char* bytes;
        Lines lines;
    };
    const Case cases[] = {
        {"words.csv", "word,meaning\ncat,n.猫\n", {"cat[]n.猫"}},
        {"words.txt", "cat\tn.猫\n", {"cat[]n.猫"}},
        {"words", "cat\t[kæt] n.猫\n", {"cat[kAt]n.猫"}},
        {"words.xml",
         "\xEF\xBB\xBF <kvtml><entries><entry id=\"0\"><translation id=\"0\"><text>cat</text>"
         "</translation><translation id=\"1\"><text>n.猫</text></translation></entry>"
         "</entries></kvtml>",
         {"cat[]n.猫"}},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.file));
        ASSERT_TRUE(core::WriteFileAtomic(path.toStdString(), c.bytes));
        EXPECT_EQ(Import(path).lines, c.lines) << c.file;
    }
    core::ImportedEntries entries;
    const core::Status missing =
        exchange::ImportWordFile(dir.filePath(QStringLiteral("none.csv")), entries);
    EXPECT_EQ(missing.what, core::Failure::Open);

    EXPECT_EQ(exchange::FormatOfPath(QStringLiteral("a/b.CSV")), exchange::Format::Csv);
    EXPECT_EQ(exchange::FormatOfPath(QStringLiteral("b.tsv")), exchange::Format::Anki);
    EXPECT_EQ(exchange::FormatOfPath(QStringLiteral("b.kvtml")), exchange::Format::Kvtml);
    EXPECT_FALSE(exchange::FormatOfPath(QStringLiteral("b.doc")));
    EXPECT_EQ(exchange::FormatNamed(QStringLiteral("anki")), exchange::Format::Anki);
    EXPECT_FALSE(exchange::FormatNamed(QStringLiteral("xls")));
    EXPECT_EQ(exchange::ListsNamed(QStringLiteral("all"))->size(), 3u);
    EXPECT_EQ(exchange::ListsNamed(QStringLiteral("review"))->front(), core::ExchangeList::Review);
    EXPECT_FALSE(exchange::ListsNamed(QStringLiteral("old")));
}

// Files as other programs write them, written by hand from their published formats.
struct Shape {
    const char* file;
    std::string bytes;
    Lines lines;
    std::size_t blanks = 0;
    std::size_t duplicates = 0;
};

std::string Utf16Le(std::u16string_view text) {
    std::string out = "\xFF\xFE";
    for (const char16_t unit : text) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    }
    return out;
}

const std::string KvtmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" "
                              "\"http://edu.kde.org/kvtml/kvtml2.dtd\">\n";

/// An identifier of a KVTML 2 document.
std::string Identifier(int id, const char* name, const char* locale) {
    return "<identifier id=\"" + std::to_string(id) + "\"><name>" + name + "</name><locale>" +
           locale + "</locale></identifier>\n";
}

// KHangMan: one language, the hints in the comments, an XML comment of its own.
const std::string GermanHangman =
    KvtmlHead +
    "<kvtml version=\"2.0\">\n<information><generator>khangman</generator><title>Tiere</title>"
    "</information>\n<identifiers>" +
    Identifier(0, "Deutsch", "de") +
    "</identifiers>\n<entries>\n<!-- Haustiere -->\n"
    "<entry id=\"0\"><translation id=\"0\"><text>Hund</text>"
    "<comment>Ein Haustier, das bellt</comment></translation></entry>\n"
    "<entry id=\"1\"><translation id=\"0\"><text>Katze</text>"
    "<comment>Ein Haustier, das miaut</comment></translation></entry>\n</entries>\n</kvtml>\n";

TEST(WordFiles, FilesOfOtherProgramsImport) {
    const Shape shapes[] = {
        {"french_verbs.kvtml",
         KvtmlHead +
             "<kvtml version=\"2.0\" >\n <information>\n  <generator>kwordquiz 0.9.2</generator>\n"
             "  <title>French Verbs</title>\n </information>\n <identifiers>\n" +
             Identifier(0, "French", "fr") + Identifier(1, "English", "en") +
             " </identifiers>\n <entries>\n"
             "  <entry id=\"0\" >\n   <translation id=\"0\" >\n    <text>aller</text>\n"
             "   </translation>\n   <translation id=\"1\" >\n    <text>to go</text>\n"
             "   </translation>\n  </entry>\n"
             "  <entry id=\"1\" >\n   <translation id=\"0\" >\n    <text></text>\n"
             "   </translation>\n   <translation id=\"1\" >\n    <text></text>\n"
             "   </translation>\n  </entry>\n"
             "  <entry id=\"2\" >\n   <translation id=\"0\" ><text>être</text></translation>\n"
             "   <translation id=\"1\" ><text>to be</text></translation>\n  </entry>\n"
             " </entries>\n <kwordquiz version=\"1.0\"><sizehintcolumn1>250</sizehintcolumn1>"
             "</kwordquiz>\n</kvtml>\n",
         {"to go[]aller", "to be[]être"},
         1},
        {"parley-features.kvtml",
         KvtmlHead +
             "<kvtml version=\"2.0\">\n<information><generator>Parley 22.12</generator>"
             "</information>\n<identifiers>" +
             Identifier(0, "Chinese", "zh_CN") + Identifier(1, "English", "en") +
             "</identifiers>\n<entries>\n"
             "<entry id=\"0\"><inactive>false</inactive><translation id=\"0\"><text>猫</text>"
             "</translation><translation id=\"1\"><text>cat</text>"
             "<pronunciation>kæt</pronunciation><comment>pet</comment>"
             "<grade currentgrade=\"2\" count=\"3\"/></translation></entry>\n"
             "<entry id=\"1\"/>\n"
             "<entry id=\"2\"><translation id=\"1\"><text>hello</text><comment>a greeting"
             "</comment></translation></entry>\n"
             "<entry id=\"3\"><translation id=\"0\"><text>猫科</text></translation>"
             "<translation id=\"1\"><text>Cat</text></translation></entry>\n"
             "</entries>\n<lessons><container><name>Lesson 1</name><entry id=\"0\"/>"
             "<container><name>Nested</name><entry id=\"1\"/></container></container>"
             "</lessons>\n</kvtml>\n",
         {"cat[kAt]猫", "hello[]a greeting"},
         1,
         1},
        {"animals.kvtml",
         "<?xml version=\"1.0\"?>\n<kvtml version=\"2.0\"><identifiers>" +
             Identifier(0, "English", "en") +
             "</identifiers><entries>\n<!-- hints for the game -->\n"
             "<entry id=\"0\"><translation id=\"0\"><text>bear</text>"
             "<comment>Large furry animal</comment></translation></entry>\n"
             "<entry id=\"1\"><translation id=\"0\"><text>ant</text></translation></entry>\n"
             "</entries></kvtml>\n",
         {"bear[]Large furry animal", "ant[]"}},
        {"anki-notes.txt",
         "apple\t[ˈæpl] n.苹果\tfruit\nbread\tn.面包\t\nmilk\t\"n.牛奶\n奶\"\tdrink food\n",
         {"apple['Apl]n.苹果", "bread[]n.面包", "milk[]n.牛奶 奶"}},
        {"kwordquiz.csv",
         "Title:\tMy words\nAuthor:\tLi Ming\nhello\t你好，您好\nthanks\t谢谢\n",
         {"hello[]你好，您好", "thanks[]谢谢"}},
        {"excel-gbk.csv",
         "\xB5\xA5\xB4\xCA,\xCA\xCD\xD2\xE5\r\ncat,\xC3\xA8\r\ndog,\xB9\xB7\r\n",
         {"cat[]猫", "dog[]狗"}},
        {"notepad-utf16.csv", Utf16Le(u"word,meaning\r\ncat,n.猫\r\n"), {"cat[]n.猫"}},
        {"semicolons.csv",
         "word;meaning\r\napple;n.苹果, 苹果树\r\npear;n.梨\r\n",
         {"apple[]n.苹果, 苹果树", "pear[]n.梨"}},
    };
    QTemporaryDir dir;
    for (const Shape& shape : shapes) {
        const QString path = dir.filePath(QString::fromLatin1(shape.file));
        ASSERT_TRUE(core::WriteFileAtomic(path.toStdString(), shape.bytes));
        const core::ImportedEntries entries = Import(path);
        EXPECT_EQ(entries.lines, shape.lines) << shape.file;
        EXPECT_EQ(entries.blanks, shape.blanks) << shape.file;
        EXPECT_EQ(entries.duplicates, shape.duplicates) << shape.file;
    }
}

TEST(WordFiles, AKvtmlFileWithoutEnglishNamesItsLanguagesUntilTheLearnerChooses) {
    const std::string frenchGerman =
        "<kvtml version=\"2.0\"><identifiers>" + Identifier(0, "Français", "fr") +
        Identifier(1, "Deutsch", "de") +
        "</identifiers><entries><entry id=\"0\"><translation id=\"0\"><text>chien</text>"
        "</translation><translation id=\"1\"><text>Hund</text></translation></entry>"
        "</entries></kvtml>";
    struct Case {
        const char* what;
        std::string bytes;
        std::string languages;
        exchange::KvtmlColumns chosen;
        Lines lines;
    };
    const Case cases[] = {
        {"German only, hints as meanings",
         GermanHangman,
         "Deutsch (de)",
         {0, std::nullopt},
         {"Hund[]Ein Haustier, das bellt", "Katze[]Ein Haustier, das miaut"}},
        {"French and German", frenchGerman, "Français (fr)、Deutsch (de)", {1, 0}, {"Hund[]chien"}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        const QString path = dir.filePath(QStringLiteral("tiere.kvtml"));
        ASSERT_TRUE(core::WriteFileAtomic(path.toStdString(), c.bytes));
        core::ImportedEntries entries;
        const core::Status asked = exchange::ImportWordFile(path, entries);
        EXPECT_EQ(asked.what, core::Failure::ImportNoEnglish) << c.what;
        EXPECT_EQ(asked.detail, c.languages) << c.what;
        EXPECT_TRUE(entries.lines.empty()) << c.what;
        QStringList names;
        for (const exchange::KvtmlLanguage& language : exchange::WordFileLanguages(path)) {
            names << exchange::LanguageText(language);
        }
        EXPECT_EQ(names.join(QStringLiteral("、")).toStdString(), c.languages) << c.what;

        exchange::ImportOptions options;
        options.columns = c.chosen;
        ASSERT_TRUE(exchange::ImportWordFile(path, entries, options)) << c.what;
        EXPECT_EQ(entries.lines, c.lines) << c.what;
    }
}

TEST(WordFiles, AFailedExportLeavesTheOldFile) {
    QTemporaryDir dir;
    core::StudyState state;
    state.NewList.Replace({"cat[kAt]n.猫"});
    const QString path = dir.filePath(QStringLiteral("gone/words.csv"));
    const exchange::ExportResult result =
        exchange::ExportLists(state, {core::ExchangeList::New}, exchange::Format::Csv, path);
    EXPECT_FALSE(result.status);
    EXPECT_EQ(result.words, 0u);
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
