#pragma once
#include "core/choicetest.h"

#include <QPixmap>
#include <QString>
#include <array>

/// The three marker pictures, read once from the program folder. A picture that is missing
/// or unreadable is drawn as a plain marker ("?", "✓", "✗") instead.
class ChoiceMarkers {
public:
    /// Reads "help01.bmp", "check1.BMP" and "wrong1.BMP" from appDir.
    explicit ChoiceMarkers(const QString& appDir);
    const QPixmap& Picture(core::ChoiceMarker marker) const;
    /// True when the marker came from its file, false when it is the plain stand-in.
    bool FromFile(core::ChoiceMarker marker) const;

private:
    std::array<QPixmap, 3> pictures_;
    std::array<bool, 3> fromFile_{};
};
