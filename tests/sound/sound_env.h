#pragma once
// Helpers for the tests that use the real sound server.
#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "core/waveheader.h"

namespace soundtest {

/// True when a PulseAudio server answers.
inline bool PulseReachable() {
    QProcess p;
    p.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    if (!p.waitForStarted(3000)) {
        return false;
    }
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

/// Tests that need the sound server skip without one, except in CI, where they must run.
#define REQUIRE_SOUND_SERVER()                                                                     \
    do {                                                                                           \
        if (!::soundtest::PulseReachable()) {                                                      \
            if (qEnvironmentVariable("CI") == QLatin1String("true")) {                             \
                FAIL() << "no PulseAudio server is reachable (CI=true: sound tests must run)";     \
            }                                                                                      \
            GTEST_SKIP() << "no PulseAudio server is reachable";                                   \
        }                                                                                          \
    } while (0)

/// A 16-bit PCM wave file of a sine tone.
inline QByteArray ToneWave(int channels, int rate, int milliseconds, double hz = 440.0) {
    int frames = rate * milliseconds / 1000;
    QByteArray data;
    data.resize(static_cast<qsizetype>(frames) * channels * 2);
    auto* p = reinterpret_cast<std::int16_t*>(data.data());
    for (int i = 0; i < frames; ++i) {
        auto v = static_cast<std::int16_t>(8000.0 * std::sin(2.0 * M_PI * hz * i / rate));
        for (int c = 0; c < channels; ++c) {
            *p++ = v;
        }
    }
    auto header = core::WaveHeader(channels, 16, rate, static_cast<std::uint32_t>(data.size()));
    return QByteArray(reinterpret_cast<const char*>(header.data()), header.size()) + data;
}

inline bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace soundtest
