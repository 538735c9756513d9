#pragma once

namespace core {

class StudyState;

/// A colour by its red, green and blue components (0-255).
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

/// The font colours of the three card labels after one tick of the colour cycle.
struct CardColours {
    Rgb word;     ///< Label1
    Rgb phonetic; ///< Label2
    Rgb meaning;  ///< Label3
};

/// One tick of the label colour cycle on ColourCycle1-3 of the shared state: a component
/// that has reached 250 starts again from 0, the colours are made from the components, and
/// each component then steps by 25. The components are shared by every window that cycles
/// colours, so a new run carries on where the last one stopped.
CardColours ColourCycleTick(StudyState& state);

} // namespace core
