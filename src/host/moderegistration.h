#pragma once
#include "modebutton.h"

#include <QColor>
#include <functional>
#include <optional>

class QWidget;
class ModeWindow;

/// What a mode button does to a browse that is on when it is pressed.
enum class BrowseStop {
    Never,     ///< browsing goes on
    Always,    ///< browsing ends and the browse mode is left (flash cards)
    IfRunning, ///< a running browse ends (a run counts while a word is pronounced too)
};

/// Everything a mode contributes for one button: the button's rule (what it stops, its colour,
/// the slot of its window) and the two hooks that make its window. The mode switcher runs it;
/// the main window knows no mode's rule.
struct ModeRegistration {
    /// The slot of the window in the client panel; none for a button whose window is shown on
    /// its own (the study content), which then only prepares.
    std::optional<ModeSlot> slot;
    BrowseStop stop = BrowseStop::Never;
    /// With a stopped browse: the colour cycling (Timer1) ends too.
    bool timer1Off = false;
    /// With a stopped browse: the shared player is closed too.
    bool closePlayer = false;
    /// The main window's colour for the mode; invalid: the colour stays.
    QColor colour;
    /// The colour is set once the window is shown rather than before (the spelling test).
    bool colourAfterShow = false;
    /// A running browse ends the protocol once the others are closed and the colour is set.
    bool endsWhileBrowsing = false;
    /// The window outlives its closing: it only hides, other modes never close it, and it
    /// lives until the program ends (the word-bank window).
    bool keepsWindow = false;
    /// Runs after the other windows are closed and the colour is set, before the window is
    /// created or shown. Returning false ends the button's protocol there (for example
    /// browsing with nothing to browse).
    std::function<bool()> prepare;
    /// Creates the window with parent as its parent (the client panel). The switcher makes it
    /// borderless, fills the panel with it and keeps it so and, unless keepsWindow, deletes it
    /// when it is closed, which empties its slot. After showing it the switcher runs its Start
    /// for the button.
    std::function<ModeWindow*(QWidget* parent)> create;
};
