#include "htmlview.h"

#include "core/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

/// Whether the page's head declares a GBK-family code page. Only the start of the page is
/// looked at, as a browser does; the declaration may stand in a proper meta tag
/// (content="text/html; charset=gb2312") or as a separate attribute (charset="gb2312").
bool DeclaresGbk(const QByteArray& bytes) {
    static const QRegularExpression charset(
        QStringLiteral(R"(charset\s*=\s*["']?\s*(gb2312|gbk|gb18030)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(2048));
    return charset.match(head).hasMatch();
}

/// Browsers read the end tag "</br>" as a line break, and the program's pages rely on it; the
/// text view's parser would drop it.
QString BreaksAsBrowsersRead(QString html) {
    static const QRegularExpression endBreak(QStringLiteral(R"(</br\s*>)"),
                                             QRegularExpression::CaseInsensitiveOption);
    return html.replace(endBreak, QStringLiteral("<br>"));
}

} // namespace

HtmlView::HtmlView(QWidget* parent) : QTextBrowser(parent) {
    setObjectName(QStringLiteral("HtmlView"));
}

bool HtmlView::ShowFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    const QString text = DeclaresGbk(bytes)
                             ? QString::fromStdString(core::Gb18030ToUtf8(
                                   std::string_view(bytes.constData(), bytes.size())))
                             : QString::fromUtf8(bytes);
    setSearchPaths({QFileInfo(path).absolutePath()});
    setHtml(BreaksAsBrowsersRead(text));
    return true;
}
