#include "uistyle.h"

#include <QPalette>
#include <QWidget>

QFont NamedFont(const QString& family, int pixels, bool bold) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont SongFont(int pixels, bool bold) {
    return NamedFont(QStringLiteral("宋体"), pixels, bold);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    pal.setColor(QPalette::ButtonText, colour);
    widget->setPalette(pal);
}
