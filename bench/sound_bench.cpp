// Times the pronunciation path on the real sound server and prints figures:
//   - from PronounceWord to the first sample handed to the audio output, for a recorded
//     word (sound file) and for a spoken word (target: 80 ms and 120 ms);
//   - how long the speech engine takes to make the samples of one word.
// Run by hand with a PulseAudio server: build/bench/sound_bench [repetitions]
#include "core/soundindex.h"
#include "core/waveheader.h"
#include "sound/pcmoutput.h"
#include "sound/pronunciation.h"
#include "sound/qtmediaplayer.h"
#include "sound/voice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Runs the event loop until done() or the time limit; false on time-out.
bool WaitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(200);
    }
    return true;
}

void Print(const char* what, std::vector<double> ms, double target) {
    if (ms.empty()) {
        std::printf("%-44s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    double median = ms[ms.size() / 2];
    std::printf("%-44s n=%zu min %7.2f  median %7.2f  max %7.2f ms", what, ms.size(), ms.front(),
                median, ms.back());
    if (target > 0) {
        std::printf("  (target <= %.0f ms: %s)", target, median <= target ? "met" : "MISSED");
    }
    std::printf("\n");
}

QByteArray Tone(int ms) {
    const int rate = 44100;
    int frames = rate * ms / 1000;
    QByteArray data(frames * 4, Qt::Uninitialized);
    auto* p = reinterpret_cast<std::int16_t*>(data.data());
    for (int i = 0; i < frames; ++i) {
        auto v = static_cast<std::int16_t>(6000.0 * std::sin(2.0 * M_PI * 440.0 * i / rate));
        *p++ = v;
        *p++ = v;
    }
    auto h = core::WaveHeader(2, 16, rate, static_cast<std::uint32_t>(data.size()));
    return QByteArray(reinterpret_cast<const char*>(h.data()), h.size()) + data;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    QTemporaryDir dir;
    std::string appDir = dir.path().toStdString() + "/";
    QDir().mkpath(dir.filePath(QStringLiteral("br/g")));
    {
        QFile index(dir.filePath(QStringLiteral("br.tif")));
        index.open(QIODevice::WriteOnly);
        index.write("[Mywav]\r\ngood=good0001.wav\r\n");
        QFile wav(dir.filePath(QStringLiteral("br/g/good0001.wav")));
        wav.open(QIODevice::WriteOnly);
        wav.write(Tone(300));
    }
    core::SoundIndexFile soundIndex;
    if (!soundIndex.Open(appDir + "br.tif")) {
        std::fprintf(stderr, "sound_bench: the sound index could not be read\n");
        return 1;
    }

    sound::QtMediaPlayer player;
    sound::Voice voice;
    if (!voice.Register()) {
        std::printf("speech engine: cannot start (data: %s)\n",
                    voice.LastError().file.empty() ? "installed" : voice.LastError().file.c_str());
    }

    sound::PronounceRequest fileWord;
    fileWord.word = "good";
    fileWord.entry = "good[gud]adj.好的";
    sound::PronounceRequest spokenWord;
    spokenWord.word = "pronunciation";
    spokenWord.entry = "pronunciation[x]n.发音";

    // A recorded word: PronounceWord to the first samples handed to the output.
    std::vector<double> fileMs;
    bool coldDone = false;
    double coldMs = 0;
    for (int i = 0; i <= reps; ++i) {
        bool notified = false;
        auto c = QObject::connect(&player, &sound::MediaPlayer::Notify, [&] { notified = true; });
        QElapsedTimer t;
        qint64 firstNs = -1;
        QMetaObject::Connection fc;
        if (player.WaveOutput() != nullptr) {
            fc = QObject::connect(player.WaveOutput(), &sound::PcmOutput::FirstSample, [&] {
                if (firstNs < 0) {
                    firstNs = t.nsecsElapsed();
                }
            });
        }
        t.start();
        sound::PronounceWord(fileWord, appDir, soundIndex, player, &voice);
        double callMs = static_cast<double>(t.nsecsElapsed()) / 1e6;
        if (!coldDone) {
            // The first play also makes the device's output, so it is timed as the whole call.
            coldDone = true;
            coldMs = callMs;
        } else {
            if (!WaitFor([&] { return firstNs >= 0; }, 5000)) {
                std::printf("file: no sample reached the output\n");
                return 1;
            }
            fileMs.push_back(static_cast<double>(firstNs) / 1e6);
        }
        QObject::disconnect(fc);
        if (!WaitFor([&] { return notified; }, 10000)) {
            std::printf("file: no end notification\n");
            return 1;
        }
        QObject::disconnect(c);
    }
    std::printf("first file play (device set-up included): %.2f ms\n", coldMs);
    Print("file: PronounceWord -> first sample", fileMs, 80);

    if (voice.IsReady()) {
        std::vector<double> speechMs;
        std::vector<double> synthMs;
        for (int i = 0; i <= reps; ++i) {
            bool first = false;
            QElapsedTimer t;
            qint64 firstNs = -1;
            auto c = QObject::connect(voice.Output(), &sound::PcmOutput::FirstSample, [&] {
                if (!first) {
                    first = true;
                    firstNs = t.nsecsElapsed();
                }
            });
            t.start();
            sound::PronounceWord(spokenWord, appDir, soundIndex, player, &voice);
            if (!WaitFor([&] { return first; }, 10000) ||
                !WaitFor([&] { return !voice.IsSpeaking(); }, 20000)) {
                std::printf("speech: timed out\n");
                return 1;
            }
            QObject::disconnect(c);
            if (i > 0) {
                speechMs.push_back(static_cast<double>(firstNs) / 1e6);
                synthMs.push_back(static_cast<double>(voice.LastSynthesisNs()) / 1e6);
            }
        }
        Print("speech: PronounceWord -> first sample", speechMs, 120);
        Print("speech engine: synthesis of \"pronunciation\"", synthMs, 0);
    }
    return 0;
}
