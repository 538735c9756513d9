#pragma once
#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

/// A font of the given family at a pixel size (the windows are laid out in pixels).
QFont NamedFont(const QString& family, int pixels, bool bold = false);
/// "宋体" at a pixel size: the typeface of most captions.
QFont SongFont(int pixels, bool bold = false);
/// Sets the colour of a widget's text (labels, buttons and edit boxes alike).
void SetTextColour(QWidget* widget, const QColor& colour);
/// Fills a widget's background with a colour (panels, labels, windows).
void SetBackground(QWidget* widget, const QColor& colour);
/// Text and background of an input field or button: its text, base and button colours too.
void SetFieldColours(QWidget* widget, const QColor& text, const QColor& back);

/// The contrast ratio of two colours as the accessibility guidelines define it: from 1 (the
/// same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);
/// wanted, made darker or lighter just enough that text in it reads on back with a contrast
/// ratio of at least minimum.
QColor ReadableOn(const QColor& wanted, const QColor& back, double minimum = 4.5);

/// The main window's colour behind the card modes (flash cards, browsing).
inline const QColor CardModeColour{0, 0, 0};
/// The main window's colour behind the other study modes (colour value 16772846, hex FFEEEE).
inline const QColor StudyModeColour{238, 238, 255};
