#include "exchange/kvtml.h"
#include "exchange/wordfiles.h"

#include "core/studystate.h"
#include "core/textfile.h"

#include <QFile>
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
