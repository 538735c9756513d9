#include "uistyle.h"

#include <QPalette>
#include <QWidget>

#include <cmath>

namespace {

double Channel(double value) {
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c) {
    return 0.2126 * Channel(c.redF()) + 0.7152 * Channel(c.greenF()) + 0.0722 * Channel(c.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableOn(const QColor& wanted, const QColor& back, double minimum) {
    // Towards white on a dark background, towards black on a light one, keeping the hue, in
    // small steps so that the colour stays as near the one asked for as it can.
    const bool lighten = Luminance(back) < 0.18;
    QColor colour = wanted.toHsl();
    for (int step = 0; step < 256 && ContrastRatio(colour, back) < minimum; ++step) {
        const int lightness = colour.lightness() + (lighten ? 1 : -1);
        if (lightness < 0 || lightness > 255) {
            break;
        }
        colour.setHsl(colour.hslHue(), colour.hslSaturation(), lightness);
    }
    return colour.toRgb();
}

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
