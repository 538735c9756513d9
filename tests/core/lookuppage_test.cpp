#include "core/lookuppage.h"
#include "core/textfile.h"

#include "test_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string Head =
    "<HTML><HEAD> <meta http-equiv=\"Content-Type\" content=\"text/html\" charset=\"gb2312\">"
    "<TITLE>朗记通</TITLE><STYLE type=text/css> td{font-family: \"宋体\"; font-size: 16px} "
    "b{font-size: 18px}</style></HEAD><body bgcolor=\"#FFFADA\"><table border=0 width=95%>";
const std::string Foot = "</table></BODY></HTML>";

TEST(LookupPage, ResultPageIsHeadRowsFoot) {
    const std::vector<core::BankHit> hits = {
        {0, 4, "中考词汇", "cat[kAt] n.猫 "},
        {2, 9, "四级词汇", "cat [ kAt ]n.猫；小猫"},
    };
    const std::string picture = "file:///opt/ljt/point.gif";
    const std::string expected =
        Head +
        "<tr><td>《中考词汇》</td></tr>"
        "<tr><td>&nbsp;&nbsp;<img border=0 src=\"" +
        picture +
        "\" width=12 height=12><b><font color=\"Maroon\"> cat</font></b></td></tr>\r\n"
        "<tr><td><font face=\"DFPhonetic\">&nbsp;&nbsp;【kAt】</font></td></tr>"
        "<tr><td><font color=\"#008000\">&nbsp;&nbsp; n.猫 <hr></font></td></tr>"
        "<tr><td>《四级词汇》</td></tr>"
        "<tr><td>&nbsp;&nbsp;<img border=0 src=\"" +
        picture +
        "\" width=12 height=12><b><font color=\"Maroon\"> cat</font></b></td></tr>\r\n"
        "<tr><td><font face=\"DFPhonetic\">&nbsp;&nbsp;【kAt】</font></td></tr>"
        "<tr><td><font color=\"#008000\">&nbsp;&nbsp;n.猫；小猫<hr></font></td></tr>" +
        Foot;
    EXPECT_EQ(core::ResultPage(hits, "/opt/ljt/"), expected);
    EXPECT_EQ(core::ResultPage({}, "/opt/ljt/"), "");
}

TEST(LookupPage, PlaceholderPage) {
    EXPECT_EQ(core::PlaceholderPage(),
              Head + "<tr><td>☆ 这里显示单词的来源和内容</td></tr>" + Foot);
}

TEST(LookupPage, EntryTextAndFolderAreEscaped) {
    const core::BankHit hit{0, 0, "a&b", "<i>x</i>[\"q\"]n.<script>alert('1')</script>&"};
    const std::string rows = core::HitRows(hit, core::FileUrl("/tmp/a b/\"<x>&/point.gif"));
    EXPECT_NE(rows.find("《a&amp;b》"), std::string::npos);
    EXPECT_NE(rows.find("> &lt;i&gt;x&lt;/i&gt;</font>"), std::string::npos);
    EXPECT_NE(rows.find("【&quot;q&quot;】"), std::string::npos);
    EXPECT_NE(rows.find("n.&lt;script&gt;alert(&#39;1&#39;)&lt;/script&gt;&amp;<hr>"),
              std::string::npos);
    EXPECT_NE(rows.find("src=\"file:///tmp/a%20b/%22%3Cx%3E%26/point.gif\""), std::string::npos);
    EXPECT_EQ(rows.find("<script"), std::string::npos);
    EXPECT_EQ(rows.find("<i>"), std::string::npos);
}

struct UrlCase {
    const char* path;
    const char* url;
};

class FileUrlCases : public ::testing::TestWithParam<UrlCase> {};

TEST_P(FileUrlCases, PercentEncodesAllButPlainCharacters) {
    EXPECT_EQ(core::FileUrl(GetParam().path), GetParam().url);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileUrlCases,
    ::testing::Values(UrlCase{"/opt/ljt/point.gif", "file:///opt/ljt/point.gif"},
                      UrlCase{"/home/x y/point.gif", "file:///home/x%20y/point.gif"},
                      UrlCase{"/a#b?c%d/p.gif", "file:///a%23b%3Fc%25d/p.gif"},
                      UrlCase{"/词/p.gif", "file:///%E8%AF%8D/p.gif"}));

TEST(LookupPage, WritePageIsGb18030WithCrLf) {
    TestDir dir;
    const std::string path = dir.File("1.htm");
    ASSERT_TRUE(core::WritePage(path, "<b>猫</b>"));
    EXPECT_EQ(ReadAll(path), core::Utf8ToGb18030("<b>猫</b>") + "\r\n");
    ASSERT_TRUE(core::WritePage(path, ""));
    EXPECT_EQ(ReadAll(path), "\r\n"); // a search without hits leaves an empty page
    EXPECT_FALSE(core::WritePage(dir.File("missing/1.htm"), "x"));
}

TEST(SentenceText, EnglishThenTranslationWithoutFinalBreak) {
    const core::LineText corpus(
        "A cat sat.‖一只猫坐着。\r\nNo cat here\r\nI saw a cat.‖我看见一只猫。\r\n");
    EXPECT_EQ(core::SentenceText(corpus, {0, 2}),
              " A cat sat.\r\n   一只猫坐着。\r\n I saw a cat.\r\n   我看见一只猫。");
    EXPECT_EQ(core::SentenceText(corpus, {1}, "\n"), " No cat here\n   ");
    EXPECT_EQ(core::SentenceText(corpus, {}), "");
}

} // namespace
