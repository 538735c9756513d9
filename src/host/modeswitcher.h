#pragma once
#include "modebutton.h"
#include "moderegistration.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <vector>

class QColor;
class QTimer;
class QWidget;
class ModeWindow;
namespace core {
class StudyState;
}
namespace sound {
class MediaPlayer;
}

/// Runs the mode buttons: keeps each button's registration and the mode windows shown in the
/// client panel, one per slot. Pressing a button (Open) stops browsing as its rule says,
/// closes every other mode window, sets the colour, creates the window on first use and
/// shows it filling the panel, then starts it for the button.
class ModeSwitcher : public QObject {
    Q_OBJECT
public:
    /// What the switcher works on: the main window's state, timers, shared player and panel.
    struct Parts {
        core::StudyState& state;
        QTimer* timer1;             ///< the colour cycling
        QTimer* timer2;             ///< the browse pacing
        sound::MediaPlayer* player; ///< the shared player; may be null
        QWidget* panel;             ///< the client panel the windows fill
        std::function<void(const QColor&)> setColour;
    };

    explicit ModeSwitcher(Parts parts, QObject* parent = nullptr);
    /// Deletes the mode windows (they may still refer to the host while they go).
    ~ModeSwitcher() override;

    /// Plugs a mode into a button; a later registration replaces an earlier one.
    void Register(ModeButton button, ModeRegistration registration);
    /// The registration of a button, or null.
    const ModeRegistration* Registration(ModeButton button) const;
    /// The buttons that have a registration, in the order of the enum.
    std::vector<ModeButton> Buttons() const;

    /// The protocol of a button, as if it had been clicked.
    void Open(ModeButton button);
    /// Stops browsing: BrowseRunning := 0 and Timer2 off; Timer1 off when timer1Off; the
    /// shared player closed when closePlayer.
    void StopBrowse(bool timer1Off, bool closePlayer);

    /// The window in a slot, or null when it does not exist (a closed window no longer does).
    QWidget* SlotWindow(ModeSlot slot) const;
    /// Tells every open mode window that the shared player has ended a sound.
    void SharedSoundEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Slot {
        QPointer<QWidget> window; ///< emptied when the window is deleted
        ModeWindow* mode = nullptr;
        bool kept = false; ///< the window only hides on close and is never closed by others
    };
    ModeWindow* SlotMode(ModeSlot slot) const;
    void StopForButton(const ModeRegistration& rule);
    void CloseOthers(const ModeRegistration& rule);
    void Place(QWidget* window, bool deleteOnClose);

    Parts parts_;
    std::map<ModeButton, ModeRegistration> registrations_;
    std::map<ModeSlot, Slot> slots_;
};
