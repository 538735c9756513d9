#pragma once
#include <QTextBrowser>

/// The view of the program's generated HTML pages: shows a local HTML file by its path. A page
/// that declares a Chinese code page (gb2312, gbk, gb18030; also in a malformed meta tag that
/// gives the charset as an attribute of its own) is decoded as GB18030, every other page as
/// UTF-8. Pictures are looked up in the page's folder.
class HtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit HtmlView(QWidget* parent = nullptr);

    /// Reads path and shows it; false (the view unchanged) when the file cannot be read.
    bool ShowFile(const QString& path);
};
