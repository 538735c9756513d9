// The HTML view: pages decoded by the charset they declare, also when the declaration is
// malformed, and a missing page.
#include "core/textfile.h"
#include "host/htmlview.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

namespace {

struct PageCase {
    const char* name;
    std::string bytes;
};

const std::string Text = "朗记通：单词的来源";

std::string Gbk(const std::string& utf8) {
    return core::Utf8ToGb18030(utf8);
}

class HtmlViewDecoding : public ::testing::TestWithParam<PageCase> {};

TEST_P(HtmlViewDecoding, ShowsTheTextAsWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("1.htm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().bytes.data(), static_cast<qint64>(GetParam().bytes.size()));
    file.close();
    HtmlView view;
    ASSERT_TRUE(view.ShowFile(path));
    EXPECT_TRUE(view.toPlainText().contains(QString::fromStdString(Text)))
        << view.toPlainText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Pages, HtmlViewDecoding,
    ::testing::Values(
        PageCase{"charsetOutsideContent",
                 Gbk("<HTML><HEAD> <meta http-equiv=\"Content-Type\" content=\"text/html\" "
                     "charset=\"gb2312\"></HEAD><body>" +
                     Text + "</body></HTML>")},
        PageCase{"charsetInContent", Gbk("<html><head><meta http-equiv=\"Content-Type\" "
                                         "content=\"text/html; charset=GBK\"></head><body>" +
                                         Text + "</body></html>")},
        PageCase{"undeclaredGbk", Gbk("<p>" + Text + "</p>")},
        PageCase{"declaredUtf8",
                 "<html><head><meta charset=\"utf-8\"></head><body>" + Text + "</body></html>"},
        PageCase{"undeclaredUtf8", "<p>" + Text + "</p>"}),
    [](const auto& info) { return info.param.name; });

TEST(HtmlView, AnEndTagBreakBreaksTheLineAsInBrowsers) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("3.htm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body>one</br>two</BR >three<br>four</body></html>");
    file.close();
    HtmlView view;
    ASSERT_TRUE(view.ShowFile(path));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("one\ntwo\nthree\nfour"));
}

TEST(HtmlView, MissingFileGivesAnEmptyViewAndFalse) {
    HtmlView view;
    view.setHtml(QStringLiteral("<p>old</p>"));
    EXPECT_FALSE(view.ShowFile(QStringLiteral("/nonexistent/1.htm")));
    EXPECT_TRUE(view.toPlainText().isEmpty());
}

} // namespace
