#include "htmlview.h"

#include "core/textfile.h"
#include "core/utf8.h"

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

namespace {

/// The charset a page declares in its first bytes, lower case; empty when none.
QString DeclaredCharset(const QByteArray& bytes) {
    // The declaration must stand in the head; 4 KiB is far more than any head needs.
    static const QRegularExpression pattern(
        QStringLiteral(R"(charset\s*=\s*["']?\s*([A-Za-z0-9_.:-]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(bytes.left(4096));
    const QRegularExpressionMatch match = pattern.match(head);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

QString Decode(const QByteArray& bytes) {
    const QString charset = DeclaredCharset(bytes);
    const std::string_view raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const bool chinese = charset == QLatin1String("gb2312") || charset == QLatin1String("gbk") ||
                         charset == QLatin1String("gb18030") || charset == QLatin1String("x-gbk");
    if (chinese || (charset.isEmpty() && !core::IsValidUtf8(raw))) {
        return QString::fromStdString(core::Gb18030ToUtf8(raw));
    }
    if (charset == QLatin1String("iso-8859-1") || charset == QLatin1String("latin1")) {
        return QString::fromLatin1(bytes);
    }
    return QString::fromUtf8(bytes);
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
    setOpenExternalLinks(false);
}

bool HtmlView::ShowFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        clear();
        return false;
    }
    const QByteArray bytes = file.readAll();
    // Relative pictures resolve against the page's own folder.
    document()->setBaseUrl(QUrl::fromLocalFile(path));
    setHtml(BreaksAsBrowsersRead(Decode(bytes)));
    return true;
}
