#pragma once
#include <QTextBrowser>

/// The embedded HTML view: shows a local HTML file by its path. The page is decoded by the
/// charset it declares; "gb2312", "gbk" and "gb18030" are read as GB18030 (a superset of
/// both), also when the declaration stands outside the content attribute as in
/// `<meta ... content="text/html" charset="gb2312">`. A page without a declaration is read as
/// UTF-8 when it is valid UTF-8, else as GB18030. The end tag "</br>" breaks the line, as in
/// browsers. Pictures and links resolve relative to the file; "file://" URLs name local
/// files. Nothing is cached: every call reads the file anew.
class HtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit HtmlView(QWidget* parent = nullptr);
    /// Shows the file; false (and an empty view) when it cannot be read.
    bool ShowFile(const QString& path);
};
