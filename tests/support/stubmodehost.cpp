#include "stubmodehost.h"

#include "host/errortext.h"
#include "host/modewindow.h"

#include <QWidget>

void StubModeHost::RegisterMode(ModeButton button, ModeRegistration registration) {
    registered[button] = std::move(registration);
}

sound::Pronunciation StubModeHost::Pronounce(sound::PronounceVariant, const std::string&,
                                             const PronounceOptions&) {
    return {};
}

ModeWindow* StubModeHost::Open(ModeButton button, bool show, QWidget* parent) {
    const auto found = registered.find(button);
    if (found == registered.end() || !found->second.create) {
        return nullptr;
    }
    ModeWindow* mode = found->second.create(parent);
    if (mode != nullptr) {
        if (show) {
            mode->Widget()->show();
        }
        mode->Start(button);
    }
    return mode;
}

void StubModeHost::ReportSoundFailure(const core::Status& failure) {
    messages.ShowError(ErrorText(failure));
}
