// The HTML view decodes a page by its declared code page, malformed declarations included.
#include "core/textfile.h"
#include "host/htmlview.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(HtmlViewTest, PageIsDecodedByItsDeclaredCodePage) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string body = "<body>长元音：音标</body></HTML>";
    struct Case {
        const char* name;
        std::string head;
        bool gb18030; ///< the file is written as GB18030, else as UTF-8
    };
    const Case cases[] = {
        {"charset as its own attribute",
         R"(<HTML><HEAD> <meta http-equiv="Content-Type" content="text/html" charset="gb2312">)",
         true},
        {"charset inside content",
         R"(<html><head><meta http-equiv="Content-Type" content="text/html; charset=GBK">)", true},
        {"html5 charset", R"(<html><head><meta charset='gb18030'>)", true},
        {"utf-8 declared", R"(<html><head><meta charset="utf-8">)", false},
        {"nothing declared", "<html><head>", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string page = c.head + "</head>" + body;
        const std::string bytes = c.gb18030 ? core::Utf8ToGb18030(page) : page;
        const QString path = dir.filePath(QStringLiteral("page.htm"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        file.close();
        HtmlView view;
        ASSERT_TRUE(view.ShowFile(path));
        EXPECT_EQ(view.toPlainText(), QStringLiteral("长元音：音标"));
        EXPECT_EQ(view.searchPaths(), QStringList{dir.path()});
    }
}

TEST(HtmlViewTest, AnEndTagBreakBreaksTheLineAsInBrowsers) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.htm"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body>one</br>two</BR >three<br>four</body></html>");
    file.close();
    HtmlView view;
    ASSERT_TRUE(view.ShowFile(path));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("one\ntwo\nthree\nfour"));
}

TEST(HtmlViewTest, AMissingFileLeavesTheViewAsItWas) {
    HtmlView view;
    view.setHtml(QStringLiteral("<p>before</p>"));
    EXPECT_FALSE(view.ShowFile(QStringLiteral("/no/such/page.htm")));
    EXPECT_EQ(view.toPlainText(), QStringLiteral("before"));
}

} // namespace
