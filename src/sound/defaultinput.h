#pragma once
#include <QAudioDevice>
#include <QString>

namespace sound {

/// The name of the sound server's default source (its recording device) as PulseAudio (or
/// PipeWire's PulseAudio service) has it now; empty when no server answers within a moment.
QString ServerDefaultInputName();

/// The recording device to use: the sound server's default source, asked anew each time so
/// that a change of the default (a headset plugged in) is followed. Qt's own default is only
/// the first device listed. Falls back on Qt's choice when the server is not PulseAudio.
QAudioDevice DefaultInputDevice();

} // namespace sound
