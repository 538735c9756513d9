#include "host/modeswitcher.h"

#include "core/studystate.h"
#include "host/modewindow.h"
#include "sound/mediaplayer.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

ModeSwitcher::ModeSwitcher(Parts parts, QObject* parent) : QObject(parent), parts_(parts) {
    parts_.panel->installEventFilter(this);
}

ModeSwitcher::~ModeSwitcher() {
    for (auto& [slot, entry] : slots_) {
        delete entry.window.data();
    }
}

void ModeSwitcher::Register(ModeButton button, ModeRegistration registration) {
    registrations_[button] = std::move(registration);
}

const ModeRegistration* ModeSwitcher::Registration(ModeButton button) const {
    const auto found = registrations_.find(button);
    return found != registrations_.end() ? &found->second : nullptr;
}

std::vector<ModeButton> ModeSwitcher::Buttons() const {
    std::vector<ModeButton> buttons;
    for (const auto& [button, registration] : registrations_) {
        buttons.push_back(button);
    }
    return buttons;
}

ModeWindow* ModeSwitcher::SlotMode(ModeSlot slot) const {
    const auto found = slots_.find(slot);
    if (found == slots_.end()) {
        return nullptr;
    }
    const Slot& entry = found->second;
    QWidget* window = entry.window.data();
    // A closed mode window is already on its way to deletion: it no longer exists.
    if (window == nullptr || (!entry.kept && window->isHidden())) {
        return nullptr;
    }
    return entry.mode;
}

QWidget* ModeSwitcher::SlotWindow(ModeSlot slot) const {
    ModeWindow* mode = SlotMode(slot);
    return mode != nullptr ? mode->Widget() : nullptr;
}

void ModeSwitcher::StopBrowse(bool timer1Off, bool closePlayer) {
    parts_.state.BrowseRunning = 0;
    parts_.timer2->stop();
    if (timer1Off) {
        parts_.timer1->stop();
    }
    if (closePlayer && parts_.player != nullptr) {
        parts_.player->Close();
    }
}

void ModeSwitcher::StopForButton(const ModeRegistration& rule) {
    switch (rule.stop) {
    case BrowseStop::Always:
        parts_.state.BrowseRunning = 0;
        parts_.timer2->stop();
        parts_.state.BrowseMode = 0;
        break;
    case BrowseStop::IfRunning:
        // A run counts while Timer2 waits for a word to be pronounced too, else the end of
        // that word would start it again.
        if (parts_.timer2->isActive() || parts_.state.BrowseRunning == 1) {
            StopBrowse(rule.timer1Off, rule.closePlayer);
        }
        break;
    case BrowseStop::Never:
        break;
    }
}

void ModeSwitcher::CloseOthers(const ModeRegistration& rule) {
    // One mode window at a time: every other one closes; a kept window stays behind.
    for (auto& [slot, entry] : slots_) {
        if (entry.kept || (rule.slot && *rule.slot == slot)) {
            continue;
        }
        if (QWidget* window = SlotWindow(slot)) {
            if (window->close()) {
                entry = Slot{};
            }
        }
    }
}

void ModeSwitcher::Open(ModeButton button) {
    const ModeRegistration* found = Registration(button);
    if (found == nullptr) {
        return;
    }
    // The hooks below may register again; the rule of this press stays as it was.
    const ModeRegistration rule = *found;

    StopForButton(rule);
    CloseOthers(rule);
    if (rule.colour.isValid() && !rule.colourAfterShow) {
        parts_.setColour(rule.colour);
    }
    if (rule.endsWhileBrowsing && parts_.state.BrowseRunning == 1) {
        return;
    }
    if (rule.prepare && !rule.prepare()) {
        return;
    }
    if (!rule.slot || !rule.create) {
        return;
    }

    // The window is created on first use and shown inside the panel.
    ModeWindow* mode = SlotMode(*rule.slot);
    if (mode == nullptr) {
        mode = rule.create(parts_.panel);
        if (mode == nullptr) {
            return;
        }
        Place(mode->Widget(), !rule.keepsWindow);
        slots_[*rule.slot] = Slot{mode->Widget(), mode, rule.keepsWindow};
    }
    QWidget* window = mode->Widget();
    window->show();
    window->raise();
    if (rule.colour.isValid() && rule.colourAfterShow) {
        parts_.setColour(rule.colour);
    }
    mode->Start(button);
}

void ModeSwitcher::Place(QWidget* window, bool deleteOnClose) {
    if (window->parentWidget() != parts_.panel) {
        window->setParent(parts_.panel);
    }
    window->setWindowFlags(Qt::Widget | Qt::FramelessWindowHint);
    window->setAttribute(Qt::WA_DeleteOnClose, deleteOnClose);
    window->setGeometry(parts_.panel->rect());
}

void ModeSwitcher::SharedSoundEnded() {
    // Every open mode window hears of the end; each knows whether it was waiting for it. A
    // window may open another mode on hearing it, so each slot is looked up afresh.
    std::vector<ModeSlot> open;
    for (const auto& [slot, entry] : slots_) {
        open.push_back(slot);
    }
    for (ModeSlot slot : open) {
        if (ModeWindow* mode = SlotMode(slot)) {
            mode->SharedSoundEnded();
        }
    }
}

bool ModeSwitcher::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parts_.panel && event->type() == QEvent::Resize) {
        for (const auto& [slot, entry] : slots_) {
            if (entry.window != nullptr && entry.window->parentWidget() == parts_.panel) {
                entry.window->setGeometry(parts_.panel->rect());
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
