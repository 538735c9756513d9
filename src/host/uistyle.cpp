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
    pal.setColor(QPalette::Text, colour);
    widget->setPalette(pal);
}

void SetBackground(QWidget* widget, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

void SetFieldColours(QWidget* widget, const QColor& text, const QColor& back) {
    SetTextColour(widget, text);
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, back);
    pal.setColor(QPalette::Base, back);
    pal.setColor(QPalette::Button, back);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}
