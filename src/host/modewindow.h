#pragma once
#include "modebutton.h"

class QWidget;

/// What a window shown inside the main window's client panel offers the main window. A mode
/// window implements it and plugs in once through ModeHost::RegisterMode; the main window
/// then starts it for its buttons and tells it when the shared player's sound has ended,
/// without knowing any of its controls.
class ModeWindow {
public:
    virtual ~ModeWindow() = default;

    /// The window itself (the host parents, fills and shows it).
    virtual QWidget* Widget() = 0;
    /// The mode's own start-up after the window was shown by the given button.
    virtual void Start(ModeButton button) = 0;
    /// The shared player MediaPlayer1 reported the end of a play (default: nothing to do).
    virtual void SharedSoundEnded() {}
};
