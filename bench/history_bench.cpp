// The study history: how long an event takes to record on the interface thread, and how long
// the statistics window takes from its opening to its first chart on a year of heavy daily
// use (offscreen). With a folder argument it also saves pictures of each page of the window
// there, for looking at the labels.
//   build/bench/history_bench [picture folder]
#include "core/historyline.h"
#include "core/historyreader.h"
#include "core/historystats.h"
#include "core/studystate.h"
#include "host/fonts.h"
#include "host/studyhistory.h"
#include "modes/statswindow.h"
#include "modes/studystatsform.h"
#include "support/stubmodehost.h"

#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

core::HistoryEvent Answer(std::mt19937& random, int word) {
    static constexpr core::HistoryMode modes[] = {
        core::HistoryMode::Cards, core::HistoryMode::Spelling, core::HistoryMode::Choice};
    const core::HistoryMode mode = modes[random() % 3];
    const bool good = random() % 100 < 70;
    core::HistoryResult result = core::HistoryResult::Right;
    if (mode == core::HistoryMode::Cards) {
        result =
            good ? core::HistoryResult::Known
                 : (random() % 2 ? core::HistoryResult::Unknown : core::HistoryResult::Revealed);
    } else if (!good) {
        result = core::HistoryResult::Wrong;
    }
    return core::AnswerEvent({}, mode, "word" + std::to_string(word), result);
}

/// A year of heavy daily use ending at now: about 600 events on most days.
std::string YearOfHistory(core::TimePoint now, std::size_t& events) {
    std::mt19937 random(20261208);
    static const char* const sounds[] = {"θ", "ð", "æ", "ʌ", "r", "v", "ŋ", "ʒ"};
    std::string bytes;
    std::array<long long, 3> lists{30000, 0, 0};
    events = 0;
    const auto add = [&](core::HistoryEvent e, core::TimePoint at) {
        e.time = at;
        bytes += core::FormatHistoryLine(e) + "\n";
        ++events;
    };
    for (int day = 365; day >= 0; --day) {
        if (random() % 10 == 0 && day > 12) {
            continue; // a day off now and then, never in the last fortnight
        }
        const core::TimePoint start = now - std::chrono::hours(24 * day) - 3h;
        const int answers = 460 + static_cast<int>(random() % 240);
        core::TimePoint at = start;
        for (int i = 0; i < answers; ++i) {
            at += std::chrono::milliseconds(2000 + random() % 4000);
            add(Answer(random, static_cast<int>(random() % 3000)), at);
            if (i % 12 == 0 && lists[0] > 0) {
                core::HistoryEvent move;
                move.kind = core::HistoryKind::Move;
                move.word = "word" + std::to_string(random() % 3000);
                move.from = core::HistoryList::NewWords;
                move.to = random() % 3 ? core::HistoryList::Mastered : core::HistoryList::Review;
                --lists[0];
                ++lists[move.to == core::HistoryList::Mastered ? 1 : 2];
                move.lists = lists;
                add(move, at);
            }
            if (i % 20 == 0) {
                // Scores creep up over the year.
                const int base = 55 + (365 - day) / 12;
                add(core::ScoreEvent({}, "word" + std::to_string(random() % 3000),
                                     std::min(100, base + static_cast<int>(random() % 25)),
                                     sounds[std::min<std::size_t>(random() % 8, random() % 8)]),
                    at);
            }
        }
        core::HistoryEvent period;
        period.kind = core::HistoryKind::Period;
        period.end = at;
        add(period, start);
    }
    // What a kill, another version and a damaged disk leave.
    bytes += "not a line\n2\t1\tmood\tcalm\n\x01\x02\x03\n";
    return bytes;
}

void BenchAppend(const QString& folder) {
    core::StudyState state;
    state.AppDir = folder.toStdString() + "/";
    state.LearnerName = "bench";
    QDir().mkpath(folder + "/bench");
    core::ManualClock clock(std::chrono::system_clock::now());
    StudyHistory history(state, clock);
    history.Open();
    std::mt19937 random(1);
    std::vector<double> us;
    const int count = 20000;
    QElapsedTimer timer;
    for (int i = 0; i < count; ++i) {
        const core::HistoryEvent e = Answer(random, i % 3000);
        timer.start();
        history.Record(e);
        us.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e3);
        clock.Advance(3s);
        if (i % 1000 == 0) {
            QCoreApplication::processEvents(); // the flush timer runs now and then
        }
    }
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double v : us) {
        sum += v;
    }
    std::printf("append on the interface thread (%d events): mean %.1f us, p99 %.1f us, "
                "p99.9 %.1f us, max %.1f us (limit 1000 us)\n",
                count, sum / count, us[static_cast<std::size_t>(count * 99 / 100)],
                us[static_cast<std::size_t>(count * 999 / 1000)], us.back());
}

void BenchFirstChart(const QString& folder, const QString& pictures) {
    StubModeHost host;
    host.state.AppDir = folder.toStdString() + "/";
    host.state.LearnerName = "year";
    host.state.MasteredCount = 2412;
    host.clock.Set(std::chrono::system_clock::now());
    host.historyPath = (folder + "/year.log").toStdString();
    std::size_t events = 0;
    const std::string bytes = YearOfHistory(host.clock.Now(), events);
    {
        QFile file(QString::fromStdString(host.historyPath));
        file.open(QIODevice::WriteOnly);
        file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    std::printf("history: %zu events, %.1f MB\n", events, static_cast<double>(bytes.size()) / 1e6);
    {
        QElapsedTimer timer;
        timer.start();
        const core::HistoryRead read = core::ReadHistory(host.historyPath);
        const double readMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        timer.start();
        const core::HistorySummary summary =
            core::SummarizeHistory(read.events, host.clock.Now(), core::HistoryRange::Month);
        std::printf("on the worker: reading %.1f ms, summing a month up %.1f ms (%zu events)\n",
                    readMs, static_cast<double>(timer.nsecsElapsed()) / 1e6,
                    read.events.size() + summary.days.size() * 0);
    }
    RegisterStatsWindow(host);
    std::vector<double> ms;
    std::vector<double> wholeMs;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        auto* window = dynamic_cast<TStudyStatsForm*>(host.Open(ModeButton::SpeedButton14, false));
        window->resize(636, 433); // the client panel of the main window
        window->show();
        bool shown = false;
        QObject::connect(window, &TStudyStatsForm::ChartsShown, [&shown] { shown = true; });
        while (!shown) { // the first look at the recent days
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        window->ChartDaily->repaint(); // the first chart drawn
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        while (!window->Loaded()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        const double whole = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        wholeMs.push_back(whole);
        if (run == 0 && !pictures.isEmpty()) {
            QDir().mkpath(pictures);
            const char* const ranges[] = {"7days", "30days", "year", "all"};
            for (int r = 0; r < 4; ++r) {
                window->BtRange[static_cast<std::size_t>(r)]->click();
                for (int tab = 0; tab < window->Tabs->count(); ++tab) {
                    window->Tabs->setCurrentIndex(tab);
                    window->ChartAll();
                    QCoreApplication::processEvents();
                    window->grab().save(QStringLiteral("%1/stats-%2-tab%3.png")
                                            .arg(pictures)
                                            .arg(ranges[r])
                                            .arg(tab));
                }
            }
        }
        delete window;
        QCoreApplication::processEvents();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("statistics window, opening to the first chart drawn (%zu runs): median %.1f ms, "
                "max %.1f ms (limit 150 ms)\n",
                ms.size(), ms[ms.size() / 2], ms.back());
    std::sort(wholeMs.begin(), wholeMs.end());
    std::printf("statistics window, opening to the whole history charted: median %.1f ms, max "
                "%.1f ms (on the worker; the window stays responsive)\n",
                wholeMs[wholeMs.size() / 2], wholeMs.back());
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString pictures = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (!pictures.isEmpty()) {
        const QString appDir = QStringLiteral(LJT_APPDIR) + QLatin1Char('/');
        InstallFontSubstitutes();
        (void)InstallFonts(appDir);
    }
    QTemporaryDir dir;
    BenchAppend(dir.path());
    BenchFirstChart(dir.path(), pictures);
    return 0;
}
