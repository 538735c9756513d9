#include "choicemarkers.h"

#include <QPainter>

namespace {

int Index(core::ChoiceMarker marker) {
    return static_cast<int>(marker);
}

/// A plain marker for a picture that cannot be read.
QPixmap PlainMarker(core::ChoiceMarker marker) {
    static const char* const signs[] = {"?", "✓", "✗"};
    static const QColor colours[] = {QColor(0, 0, 160), QColor(0, 140, 0), QColor(200, 0, 0)};
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(0, 0, 17, 17);
    QFont font = painter.font();
    font.setPixelSize(14);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(colours[Index(marker)]);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, QString::fromUtf8(signs[Index(marker)]));
    return pixmap;
}

} // namespace

ChoiceMarkers::ChoiceMarkers(const QString& appDir) {
    const QString files[] = {QStringLiteral("help01.bmp"), QStringLiteral("check1.BMP"),
                             QStringLiteral("wrong1.BMP")};
    for (int i = 0; i < 3; ++i) {
        QPixmap pixmap;
        fromFile_[static_cast<std::size_t>(i)] = pixmap.load(appDir + files[i]);
        pictures_[static_cast<std::size_t>(i)] =
            fromFile_[static_cast<std::size_t>(i)]
                ? pixmap
                : PlainMarker(static_cast<core::ChoiceMarker>(i));
    }
}

const QPixmap& ChoiceMarkers::Picture(core::ChoiceMarker marker) const {
    return pictures_[static_cast<std::size_t>(Index(marker))];
}

bool ChoiceMarkers::FromFile(core::ChoiceMarker marker) const {
    return fromFile_[static_cast<std::size_t>(Index(marker))];
}
