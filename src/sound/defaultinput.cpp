#include "sound/defaultinput.h"

#include <QMediaDevices>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/operation.h>

#include <chrono>
#include <memory>

namespace sound {

namespace {

/// How long a recording's start may wait for the server's answer.
constexpr auto ServerAnswerLimit = std::chrono::milliseconds(500);

struct Query {
    QString name;
    bool done = false;
};

void OnServerInfo(pa_context* /*context*/, const pa_server_info* info, void* userdata) {
    auto* query = static_cast<Query*>(userdata);
    if (info != nullptr && info->default_source_name != nullptr) {
        query->name = QString::fromUtf8(info->default_source_name);
    }
    query->done = true;
}

} // namespace

QString ServerDefaultInputName() {
    const std::unique_ptr<pa_mainloop, decltype(&pa_mainloop_free)> loop(pa_mainloop_new(),
                                                                         &pa_mainloop_free);
    if (!loop) {
        return {};
    }
    const std::unique_ptr<pa_context, decltype(&pa_context_unref)> context(
        pa_context_new(pa_mainloop_get_api(loop.get()), "langjitong"), &pa_context_unref);
    // No autospawn: a desktop without PulseAudio keeps Qt's choice rather than gain a server.
    if (!context ||
        pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return {};
    }
    Query query;
    pa_operation* operation = nullptr;
    const auto deadline = std::chrono::steady_clock::now() + ServerAnswerLimit;
    while (!query.done && std::chrono::steady_clock::now() < deadline) {
        const pa_context_state_t state = pa_context_get_state(context.get());
        if (!PA_CONTEXT_IS_GOOD(state)) {
            break;
        }
        if (state == PA_CONTEXT_READY && operation == nullptr) {
            operation = pa_context_get_server_info(context.get(), &OnServerInfo, &query);
            if (operation == nullptr) {
                break;
            }
        }
        // Wait at most 50 ms for the next event, so that the deadline is kept.
        if (pa_mainloop_prepare(loop.get(), 50000) < 0 || pa_mainloop_poll(loop.get()) < 0 ||
            pa_mainloop_dispatch(loop.get()) < 0) {
            break;
        }
    }
    if (operation != nullptr) {
        pa_operation_cancel(operation);
        pa_operation_unref(operation);
    }
    pa_context_disconnect(context.get());
    return query.done ? query.name : QString();
}

QAudioDevice DefaultInputDevice() {
    const QString name = ServerDefaultInputName();
    if (!name.isEmpty()) {
        for (const QAudioDevice& device : QMediaDevices::audioInputs()) {
            if (QString::fromUtf8(device.id()) == name) {
                return device;
            }
        }
    }
    return QMediaDevices::defaultAudioInput();
}

} // namespace sound
