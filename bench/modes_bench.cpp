// Times the recording window and the phonetic lessons on the built program folder and the
// real sound server, and prints figures:
//   - symbol click -> first sample of its sound handed to the output (target 30 ms);
//   - symbol click -> its lesson page in the view (target 20 ms);
//   - "录放" -> first recorded sample written (target 100 ms);
//   - end of a recording (its playback starts) -> comparison strip drawn with the score, for a
//     2-second recording of a voice (target 50 ms).
// Run by hand with a PulseAudio server, after building the appdata target:
//   build/bench/modes_bench [repetitions]
#include "app/wordmemory.h"
#include "core/clock.h"
#include "core/pcmwave.h"
#include "core/studystate.h"
#include "core/voiceanalysis.h"
#include "core/waveheader.h"
#include "host/errortext.h"
#include "host/fonts.h"
#include "host/htmlview.h"
#include "host/messageservice.h"
#include "modes/comparisonview.h"
#include "modes/recordform.h"
#include "modes/yinbiaoform.h"
#include "sound/pcmoutput.h"
#include "sound/qtmediaplayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

/// Messages go to the standard error stream: a benchmark answers no boxes.
class PrintedMessages : public MessageService {
public:
    void Inform(const QString& text) override { Print(text); }
    Answer AskOkCancel(const QString&, const QString& text) override {
        Print(text);
        return Answer::Ok;
    }
    void ShowError(const QString& text) override { Print(text); }
    int count = 0;

private:
    void Print(const QString& text) {
        ++count;
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    }
};

/// Runs the event loop (without sleeping, so that timers tick on time) until done() or ms.
bool RunUntil(const std::function<bool()>& done, int ms) {
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) {
            loop.quit();
        }
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    poll.start();
    limit.start(ms);
    loop.exec();
    return done();
}

void Print(const char* what, std::vector<double> ms, double target) {
    if (ms.empty()) {
        std::printf("%-40s no samples\n", what);
        return;
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    const double p90 = ms[ms.size() * 9 / 10];
    std::printf("%-40s n=%zu min %6.2f  median %6.2f  p90 %6.2f  max %6.2f ms  (target <= %.0f "
                "ms: %s)\n",
                what, ms.size(), ms.front(), median, p90, ms.back(), target,
                median <= target ? "met" : "MISSED");
}

/// Notes when a widget is painted.
class PaintClock : public QObject {
public:
    explicit PaintClock(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    qint64 paintedNs = -1;
    QElapsedTimer clock;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == widget_ && event->type() == QEvent::Paint && paintedNs < 0) {
            paintedNs = clock.nsecsElapsed();
        }
        return false;
    }

private:
    QWidget* widget_;
};

/// The model word as the program records a learner: 44.1 kHz, two channels, 2 seconds, the
/// word after 0.3 s.
bool WriteRecording(const QString& model, const QString& path) {
    core::PcmSound sound;
    if (!core::ReadPcmWave(model.toStdString(), sound)) {
        return false;
    }
    const std::vector<float> mono = core::MonoAtRate(sound, 44100);
    std::vector<std::int16_t> samples(2 * 2 * 44100, 0);
    for (std::size_t i = 0; i < mono.size() && 2 * (i + 13230) + 1 < samples.size(); ++i) {
        const auto v =
            static_cast<std::int16_t>(std::clamp(mono[i] * 32767.0f, -32768.0f, 32767.0f));
        samples[2 * (i + 13230)] = v;
        samples[2 * (i + 13230) + 1] = v;
    }
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    const auto header = core::WaveHeader(2, 16, 44100, bytes);
    QFile f(path);
    return f.open(QIODevice::WriteOnly) &&
           f.write(reinterpret_cast<const char*>(header.data()), header.size()) ==
               static_cast<qint64>(header.size()) &&
           f.write(reinterpret_cast<const char*>(samples.data()), bytes) == bytes;
}

double Ms(qint64 ns) {
    return static_cast<double>(ns) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int reps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;

    // A program folder that links the built data, so that "Temp.wav" and "3.htm" are written
    // beside it without touching the built folder.
    const QString built = QStringLiteral(LJT_APPDIR "/");
    if (!QFile::exists(built + "yb48/yinbiao.txt")) {
        std::printf("no built data in %s: build the appdata target\n", LJT_APPDIR);
        return 1;
    }
    QTemporaryDir dir;
    const QString appDir = dir.path() + QLatin1Char('/');
    for (const QString& entry : QDir(built).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (entry != QLatin1String("langjitong")) {
            QFile::link(built + entry, appDir + entry);
        }
    }
    if (const core::Status fonts = InstallFonts(appDir); !fonts) {
        // The figures still come, with phonetics in plain letters.
        std::fprintf(stderr, "modes_bench: %s\n", ErrorText(fonts).toLocal8Bit().constData());
    }

    core::StudyState state;
    state.AppDir = appDir.toStdString();
    state.LearnerName = "bench";
    core::SystemClock clock;
    PrintedMessages messages;
    sound::QtMediaPlayer shared;
    ShellServices services(state, clock, messages);
    services.mediaPlayer = &shared;
    services.appDir = appDir;
    services.signIn.playVideo = false;
    services.startUpOnShow = false;
    TWordmemory shell(services);
    shell.resize(1000, 700);
    RegisterRecordWindow(shell);
    RegisterLessonWindow(shell);
    shell.show();

    // Symbol click: first sample and page.
    shell.SpeedButton1->click();
    auto* lessons = qobject_cast<TyinbiaoForm1*>(shell.SlotWindow(ModeSlot::Phonetic));
    if (lessons == nullptr) {
        std::printf("the lesson window did not open\n");
        return 1;
    }
    auto* player = static_cast<sound::QtMediaPlayer*>(lessons->MediaPlayer1);
    std::vector<double> firstSampleMs;
    std::vector<double> pageMs;
    for (int i = 0; i <= reps; ++i) {
        const int k = 1 + i % 48;
        bool ended = false;
        auto endConn = QObject::connect(player, &sound::MediaPlayer::Notify, [&] { ended = true; });
        QElapsedTimer t;
        qint64 firstNs = -1;
        QMetaObject::Connection sampleConn;
        if (player->WaveOutput() != nullptr) {
            sampleConn =
                QObject::connect(player->WaveOutput(), &sound::PcmOutput::FirstSample, [&] {
                    if (firstNs < 0) {
                        firstNs = t.nsecsElapsed();
                    }
                });
        }
        t.start();
        lessons->SymbolButton(k)->click();
        const qint64 clickNs = t.nsecsElapsed();
        if (!RunUntil([&] { return ended; }, 10000)) {
            std::printf("symbol %d: its sound did not end\n", k);
            return 1;
        }
        QObject::disconnect(sampleConn);
        QObject::disconnect(endConn);
        if (i == 0) {
            // The first play also makes the output device.
            std::printf("first symbol click (device set-up included): %.2f ms\n", Ms(clickNs));
            continue;
        }
        if (firstNs >= 0) {
            firstSampleMs.push_back(Ms(firstNs));
        }
        // The page is set within the click; the click's end is when it is certainly shown.
        pageMs.push_back(Ms(clickNs));
    }
    Print("symbol click -> first sample", firstSampleMs, 30);
    Print("symbol click -> lesson page shown", pageMs, 20);

    // "录放" in the recording window: the first recorded sample.
    shell.btrecordword->click();
    auto* recording = qobject_cast<TRecordForm1*>(shell.SlotWindow(ModeSlot::Recording));
    if (recording == nullptr) {
        std::printf("the recording window did not open\n");
        return 1;
    }
    auto* recorder = static_cast<sound::QtMediaPlayer*>(recording->MYRecordPlayer2);
    std::vector<double> recordMs;
    for (int i = 0; i <= reps; ++i) {
        QElapsedTimer t;
        qint64 firstNs = -1;
        auto c = QObject::connect(recorder, &sound::QtMediaPlayer::FirstRecordedSample, [&] {
            if (firstNs < 0) {
                firstNs = t.nsecsElapsed();
            }
        });
        t.start();
        recording->BtRecordword2->click();
        if (!RunUntil([&] { return firstNs >= 0; }, 5000)) {
            std::printf("record: no sample was recorded\n");
            return 1;
        }
        QObject::disconnect(c);
        if (!RunUntil([&] { return recording->BtRecordword2->isEnabled(); }, 10000)) {
            std::printf("record: the cycle did not end\n");
            return 1;
        }
        if (i > 0) {
            recordMs.push_back(Ms(firstNs));
        }
    }
    Print("\"录放\" -> first recorded sample", recordMs, 100);

    // The comparison strip: from the end of a recording (the window starts the playback and
    // hands the saved file to the strip) to the strip drawn with its score.
    {
        const QString model = appDir + QStringLiteral("br/g/good.wav");
        const QString learner = appDir + QStringLiteral("Learner.wav");
        if (!WriteRecording(model, learner)) {
            std::printf("strip: cannot make a recording from %s\n",
                        model.toLocal8Bit().constData());
            return 1;
        }
        ComparisonView view;
        view.resize(800, 96);
        view.SetModelFile(model);
        std::vector<double> stripMs;
        int score = -1;
        for (int i = 0; i <= reps; ++i) {
            PaintClock painted(&view);
            painted.clock.start();
            view.CompareRecording(learner);
            if (!RunUntil([&] { return painted.paintedNs >= 0 && view.HasResult(); }, 5000)) {
                std::printf("strip: not drawn\n");
                return 1;
            }
            score = view.Shown().Rounded();
            if (i > 0) { // the first also waits for the model's analysis
                stripMs.push_back(Ms(painted.paintedNs));
            }
        }
        Print("recording end -> comparison strip drawn", stripMs, 50);
        std::printf("(score of the word against itself recorded: %d)\n", score);
    }
    std::printf("messages shown: %d\n", messages.count);
    return 0;
}
