#pragma once
#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

/// A font of the given family at a pixel size (the windows are laid out in pixels).
QFont NamedFont(const QString& family, int pixels, bool bold = false);
/// "宋体" at a pixel size: the typeface of most captions.
QFont SongFont(int pixels, bool bold = false);
/// Sets the colour of a widget's text (labels and buttons alike).
void SetTextColour(QWidget* widget, const QColor& colour);
