// Times the pronunciation path on the real sound server and prints figures:
//   - the program's sound start-up: opening the sound module (Qt Multimedia, eSpeak NG), then
//     making the speech engine and the word player, as the program does after the sign-in
//     window's first frame;
//   - the first click after that start-up, to the first sample handed to the audio output, for
//     a recorded word (sound file) and a spoken word (target: 20 ms and 30 ms);
//   - from PronounceWord to the first sample on later clicks (target: 80 ms and 120 ms);
//   - how long the speech engine takes to make the samples of one word.
// Run by hand with a PulseAudio server: build/bench/sound_bench [repetitions] [--linked]
// (--linked: the engine linked into the program instead of opened from the module).
#include "core/soundindex.h"
#include "core/waveheader.h"
#include "sound/engine.h"
#include "sound/lazyplayer.h"
#include "sound/lazyvoice.h"
#include "sound/pcmoutput.h"
#include "sound/pronunciation.h"
#include "sound/qtengine.h"
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
#include <cstring>
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
    int reps = 20;
    bool linked = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--linked") == 0) {
            linked = true;
        } else {
            reps = std::max(1, std::atoi(argv[i]));
        }
    }

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

    // The program's sound start-up.
    if (linked) {
        sound::UseEngine(&sound::QtEngine::Instance());
    }
    QElapsedTimer startUp;
    startUp.start();
    if (sound::LoadEngine() == nullptr) {
        std::printf("sound module: cannot be opened (%s)\n", sound::EngineFailure().detail.c_str());
        return 1;
    }
    const double loadMs = static_cast<double>(startUp.nsecsElapsed()) / 1e6;
    sound::LazyPlayer lazyPlayer;
    sound::LazyVoice lazyVoice;
    startUp.start();
    lazyVoice.Register();
    lazyPlayer.Load();
    const double readyMs = static_cast<double>(startUp.nsecsElapsed()) / 1e6;
    std::printf("sound engine %s: %.2f ms; speech engine and word player made: %.2f ms\n",
                linked ? "linked in" : "module opened", loadMs, readyMs);
    // The engine's own objects, for their first-sample signals.
    auto* realPlayer = dynamic_cast<sound::QtMediaPlayer*>(lazyPlayer.Loaded());
    auto* realVoice = dynamic_cast<sound::Voice*>(lazyVoice.Loaded());
    if (realPlayer == nullptr || realVoice == nullptr) {
        std::printf("the engine made no player or voice\n");
        return 1;
    }
    sound::QtMediaPlayer& player = *realPlayer;
    sound::Voice& voice = *realVoice;
    if (!voice.IsReady()) {
        std::printf("speech engine: cannot start (data: %s)\n",
                    voice.LastError().file.empty() ? "installed" : voice.LastError().file.c_str());
    }

    sound::PronounceRequest fileWord;
    fileWord.word = "good";
    fileWord.entry = "good[gud]adj.好的";
    sound::PronounceRequest spokenWord;
    spokenWord.word = "pronunciation";
    spokenWord.entry = "pronunciation[x]n.发音";

    // The first click after the start-up: a recorded word, then a spoken one, through the
    // program's own player and speech objects. The output is made during the first play, so
    // its first sample is waited for by polling.
    {
        bool notified = false;
        auto c = QObject::connect(&player, &sound::MediaPlayer::Notify, [&] { notified = true; });
        QElapsedTimer t;
        t.start();
        sound::PronounceWord(fileWord, appDir, soundIndex, lazyPlayer, &lazyVoice);
        if (!WaitFor(
                [&] {
                    return player.WaveOutput() != nullptr &&
                           player.WaveOutput()->StartToFirstSampleNs() >= 0;
                },
                5000)) {
            std::printf("file: no sample reached the output\n");
            return 1;
        }
        Print("first click, file: -> first sample", {static_cast<double>(t.nsecsElapsed()) / 1e6},
              20);
        WaitFor([&] { return notified; }, 10000);
        QObject::disconnect(c);
    }
    if (voice.IsReady()) {
        QElapsedTimer t;
        t.start();
        sound::PronounceWord(spokenWord, appDir, soundIndex, lazyPlayer, &lazyVoice);
        if (!WaitFor([&] { return voice.Output()->StartToFirstSampleNs() >= 0; }, 10000)) {
            std::printf("speech: no sample reached the output\n");
            return 1;
        }
        Print("first click, speech: -> first sample", {static_cast<double>(t.nsecsElapsed()) / 1e6},
              30);
        WaitFor([&] { return !voice.IsSpeaking(); }, 20000);
    }

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
    std::printf("file: first PronounceWord of the loop (the call alone): %.2f ms\n", coldMs);
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
