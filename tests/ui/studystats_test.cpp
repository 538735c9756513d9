// The statistics window on the main window: its button and key, the figures and charts it
// reads from a learner's history (damaged and newer lines included), its ranges; and a study
// through three modes whose events reach the history and the charts.
#include "shellfixture.h"

#include "core/historyline.h"
#include "core/historyreader.h"
#include "core/learnerfiles.h"
#include "core/wordentry.h"
#include "host/studyhistory.h"
#include "modes/hereadform.h"
#include "modes/mywriteform.h"
#include "modes/selecttestform.h"
#include "modes/statswindow.h"
#include "modes/studystatsform.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCalendarWidget>
#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextCharFormat>
#include <QValueAxis>
#include <cmath>
#include <set>

namespace {

using Lines = std::vector<std::string>;
using core::HistoryMode;
using core::HistoryResult;

/// Local noon of date, days before it.
core::TimePoint LocalNoon(QDate date, int daysBefore = 0, int minutes = 0) {
    const QDateTime at(date.addDays(-daysBefore), QTime(12, minutes));
    return core::TimePoint(std::chrono::milliseconds(at.toMSecsSinceEpoch()));
}

// A Wednesday: Monday, two days before, begins the week.
const QDate Today(2026, 3, 11);

class StatsWindowTest : public ShellTest {
protected:
    void SetUp() override {
        state_.AppDir = appDir_.toStdString();
        state_.LearnerName = "Bob";
        clock_.Set(LocalNoon(Today, 0, 30));
        RegisterStatsWindow(Shell());
    }
    std::string HistoryFile() const {
        return core::LearnerHistoryPath(state_.AppDir, state_.LearnerName);
    }
    TStudyStatsForm* W() {
        return qobject_cast<TStudyStatsForm*>(Shell().SlotWindow(ModeSlot::Statistics));
    }
    void OpenStats() {
        Shell().SpeedButton14->click();
        ASSERT_NE(W(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([this] { return W()->Loaded(); }, 10000));
        W()->ChartAll();
    }
    static std::vector<QBarSet*> Bars(QChartView* view) {
        for (QAbstractSeries* s : view->chart()->series()) {
            if (auto* bars = qobject_cast<QBarSeries*>(s)) {
                const QList<QBarSet*> sets = bars->barSets();
                return {sets.begin(), sets.end()};
            }
        }
        return {};
    }
    static QLineSeries* Line(QChartView* view, const QString& name) {
        for (QAbstractSeries* s : view->chart()->series()) {
            if (s->name() == name) {
                return qobject_cast<QLineSeries*>(s);
            }
        }
        return nullptr;
    }
};

TEST_F(StatsWindowTest, ShowsWhatTheHistoryHoldsAndSaysOnceWhatItSkipped) {
    MakeLearner("Bob", {"n1[x]n.一"}, {"m1[x]n.二"}, {});
    state_.MasteredCount = 7;
    core::HistoryEvent move;
    move.kind = core::HistoryKind::Move;
    move.time = LocalNoon(Today, 2);
    move.word = "e";
    move.from = core::HistoryList::NewWords;
    move.to = core::HistoryList::Mastered;
    move.lists = {5, 1, 0};
    core::HistoryEvent period;
    period.kind = core::HistoryKind::Period;
    period.time = LocalNoon(Today, 2);
    period.end = LocalNoon(Today, 2, 10);
    const core::HistoryEvent events[] = {
        move,
        period,
        core::AnswerEvent(LocalNoon(Today, 1), HistoryMode::Cards, "d", HistoryResult::Known),
        core::ScoreEvent(LocalNoon(Today, 1), "think", 70, "θ"),
        core::AnswerEvent(LocalNoon(Today), HistoryMode::Spelling, "a", HistoryResult::Right),
        core::AnswerEvent(LocalNoon(Today), HistoryMode::Spelling, "b", HistoryResult::Wrong),
        core::AnswerEvent(LocalNoon(Today), HistoryMode::Choice, "c", HistoryResult::Right),
    };
    std::string bytes = "not an event\n9\t1\tsomething\tnew\n";
    for (const auto& e : events) {
        bytes += core::FormatHistoryLine(e) + "\n";
    }
    bytes += "1\t17"; // cut off by a kill
    QFile file(QString::fromStdString(HistoryFile()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    file.close();
    state_.MasteredList.Replace({"m1[x]n.二", "m2[x]n.三"});
    Shell().History().Open();

    EXPECT_EQ(Shell().SpeedButton14->text(), QStringLiteral("学习统计(&J)"));
    EXPECT_EQ(Shell().SpeedButton14->shortcut(), QKeySequence(Qt::ALT | Qt::Key_J));
    OpenStats();
    EXPECT_EQ(W()->LbSummary->text(),
              QStringLiteral("今天 3 个单词 · 本周 5 个 · 连续学习3天 · 已掌握 7 个"));
    EXPECT_FALSE(W()->LbSkipped->isHidden());
    // The cut line was ended by the sign-in's own event: two damaged lines, one newer.
    EXPECT_TRUE(W()->LbSkipped->text().contains(QStringLiteral("2 行已损坏")))
        << W()->LbSkipped->text().toStdString();
    EXPECT_TRUE(W()->LbSkipped->text().contains(QStringLiteral("1 行来自更新版本")));
    EXPECT_TRUE(messages_.Messages().isEmpty()) << "said in the window, not in a box";

    // 30 days, one bar each: today last.
    const std::vector<QBarSet*> bars = Bars(W()->ChartDaily);
    ASSERT_EQ(bars.size(), 2u);
    ASSERT_EQ(bars[0]->count(), 30);
    EXPECT_EQ(bars[0]->at(29), 3);
    EXPECT_EQ(bars[0]->at(28), 2);
    EXPECT_EQ(bars[1]->at(27), 1);
    QLineSeries* minutes = Line(W()->ChartDaily, QStringLiteral("学习分钟"));
    ASSERT_NE(minutes, nullptr);
    EXPECT_EQ(minutes->at(27).y(), 10);
    QLineSeries* spelling = Line(W()->ChartRates, QStringLiteral("输入测试"));
    QLineSeries* choice = Line(W()->ChartRates, QStringLiteral("选择测试"));
    ASSERT_TRUE(spelling && choice);
    ASSERT_EQ(spelling->count(), 1);
    EXPECT_EQ(spelling->at(0), QPointF(29, 50));
    EXPECT_EQ(choice->at(0), QPointF(29, 100));
    QLineSeries* scores = Line(W()->ChartScores, QStringLiteral("平均得分"));
    ASSERT_NE(scores, nullptr);
    EXPECT_EQ(scores->at(0), QPointF(28, 70));
    EXPECT_TRUE(W()->ChartSounds->accessibleDescription().contains(QStringLiteral("/θ/ 1 次")));
    QLineSeries* mastered = Line(W()->ChartLists, QStringLiteral("已掌握"));
    ASSERT_NE(mastered, nullptr);
    EXPECT_EQ(mastered->at(0), QPointF(27, 1)) << "unknown before the first record";
    EXPECT_EQ(mastered->at(mastered->count() - 1).y(), 2) << "the sign-in's own sizes";
    EXPECT_EQ(W()->LbStreak->text().left(6), QStringLiteral("连续学习3天"));
    EXPECT_TRUE(W()->StudyCalendar->dateTextFormat(Today.addDays(-1)).background().color() ==
                QColor(0, 160, 0));
    EXPECT_EQ(
        W()->ChartRates->accessibleDescription(),
        QStringLiteral("输入测试答对 1 次，共 2 次（50%）；选择测试答对 1 次，共 1 次（100%）。"));
    for (QWidget* chart :
         std::initializer_list<QWidget*>{W()->ChartDaily, W()->ChartRates, W()->ChartScores,
                                         W()->ChartSounds, W()->ChartLists, W()->StudyCalendar}) {
        EXPECT_FALSE(chart->accessibleName().isEmpty()) << chart->objectName().toStdString();
        EXPECT_FALSE(chart->accessibleDescription().isEmpty()) << chart->objectName().toStdString();
    }

    const struct {
        int button;
        std::size_t days, bars;
    } ranges[] = {{0, 7, 7}, {2, 365, 53}, {3, 3, 3}, {1, 30, 30}};
    for (const auto& row : ranges) {
        W()->BtRange[static_cast<std::size_t>(row.button)]->click();
        W()->ChartAll();
        EXPECT_EQ(W()->Summary().days.size(), row.days) << row.button;
        EXPECT_EQ(Bars(W()->ChartDaily)[0]->count(), static_cast<int>(row.bars)) << row.button;
        EXPECT_TRUE(W()->BtRange[static_cast<std::size_t>(row.button)]->isChecked());
    }

    // Opened again, the same window reads the history again.
    TStudyStatsForm* first = W();
    Shell().RecordStudy(core::AnswerEvent({}, HistoryMode::Choice, "new", HistoryResult::Right));
    QSignalSpy charted(first, &TStudyStatsForm::ChartsShown);
    Shell().SpeedButton14->click();
    EXPECT_EQ(W(), first);
    ASSERT_TRUE(charted.wait(10000));
    EXPECT_EQ(W()->Summary().todayWords, 4);
}

TEST_F(StatsWindowTest, AnUnreadableHistoryStillOpensTheWindow) {
    MakeLearner("Bob", {"n1[x]n.一"}, {}, {});
    // A folder where the file should be: it can be neither read nor written.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(HistoryFile())));
    Shell().History().Open();
    EXPECT_EQ(messages_.Messages().size(), 1) << "the failed append is reported once";
    Shell().RecordStudy(core::AnswerEvent({}, HistoryMode::Cards, "x", HistoryResult::Known));
    EXPECT_EQ(messages_.Messages().size(), 1);
    OpenStats();
    EXPECT_FALSE(W()->LbSkipped->isHidden());
    EXPECT_EQ(W()->Summary().todayWords, 0);
    EXPECT_EQ(Bars(W()->ChartDaily)[0]->count(), 30);
    // Nothing to count: the axis still steps by whole words, not 0.2 shown as "0".
    for (QAbstractAxis* axis : W()->ChartDaily->chart()->axes(Qt::Vertical)) {
        auto* values = qobject_cast<QValueAxis*>(axis);
        ASSERT_NE(values, nullptr);
        const double step = (values->max() - values->min()) / (values->tickCount() - 1);
        EXPECT_GE(step, 1.0);
        EXPECT_DOUBLE_EQ(step, std::round(step));
    }
}

Lines Entries(int n, const std::string& stem) {
    Lines lines;
    for (int i = 1; i <= n; ++i) {
        lines.push_back(stem + std::to_string(i) + "[x]n." + stem + std::to_string(i) + "义");
    }
    return lines;
}

TEST_F(StatsWindowTest, StudyInThreeModesReachesTheHistoryAndTheCharts) {
    RegisterCardWindow(Shell());
    RegisterSpellingWindow(Shell());
    RegisterChoiceTestWindow(Shell());
    speech_.SetSpeakingAfterSpeak(false);
    for (const char* name : {"help01.bmp", "check1.BMP", "wrong1.BMP"}) {
        QImage image(18, 18, QImage::Format_RGB32);
        image.fill(Qt::gray);
        ASSERT_TRUE(image.save(appDir_ + name, "BMP"));
    }
    MakeLearner("Bob", {}, {}, {});
    Shell().History().Open();
    state_.NewList.Replace(Entries(6, "w"));
    state_.NewCount = 6;
    state_.ContentKind = core::StudyContent::NewWords;

    // Flash cards: the first word known and mastered.
    Shell().Btfollow->click();
    auto* cards = qobject_cast<THeReadForm1*>(Shell().SlotWindow(ModeSlot::Cards));
    ASSERT_NE(cards, nullptr);
    const std::string carded = core::EntryWord(state_.CurrentEntry);
    cards->BtMyknow->click();
    cards->BtAlreadyMastery1->click();
    clock_.Advance(std::chrono::minutes(2));

    // Spelling: a wrong answer.
    Shell().SpeedButton9->click();
    auto* spelling = qobject_cast<TMyWriteForm1*>(Shell().SlotWindow(ModeSlot::Spelling));
    ASSERT_NE(spelling, nullptr);
    const std::string spelled = spelling->Test().SpellAnswer;
    spelling->Edit1->setText(QStringLiteral("zzz"));
    QTest::keyClick(spelling->Edit1, Qt::Key_Return);
    clock_.Advance(std::chrono::minutes(2));

    // Choice test: a right choice.
    Shell().BtSelectTest1->click();
    auto* choice = qobject_cast<TSelectTestForm1*>(Shell().SlotWindow(ModeSlot::ChoiceTest));
    ASSERT_NE(choice, nullptr);
    const core::ChoicePanelView& upper = choice->Test().Panel(core::ChoicePanel::Upper);
    const std::string chosen = core::EntryWord(choice->Test().Question());
    int right = -1;
    for (int k = 0; k < 4; ++k) {
        if (upper.rows[static_cast<std::size_t>(k)].text == upper.pending) {
            right = k;
        }
    }
    ASSERT_GE(right, 0);
    QTest::mouseClick(choice->MYwordLabel[static_cast<std::size_t>(right)], Qt::LeftButton);

    const core::HistoryRead read = core::ReadHistory(HistoryFile());
    ASSERT_TRUE(read.status.ok);
    EXPECT_EQ(read.Skipped(), 0u);
    struct Answer {
        HistoryMode mode;
        std::string word;
        HistoryResult result;
        bool operator==(const Answer&) const = default;
    };
    std::vector<Answer> answers;
    std::vector<std::pair<std::string, core::HistoryList>> moves;
    for (const core::HistoryEvent& e : read.events) {
        if (e.kind == core::HistoryKind::Answer) {
            answers.push_back({e.mode, e.word, e.result});
        } else if (e.kind == core::HistoryKind::Move) {
            moves.push_back({e.word, e.to});
        }
    }
    const std::vector<Answer> expected = {
        {HistoryMode::Cards, carded, HistoryResult::Known},
        {HistoryMode::Spelling, spelled, HistoryResult::Wrong},
        {HistoryMode::Choice, chosen, HistoryResult::Right},
    };
    EXPECT_EQ(answers, expected);
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0], std::make_pair(carded, core::HistoryList::Mastered));
    EXPECT_EQ(moves[1], std::make_pair(spelled, core::HistoryList::Review));
    EXPECT_EQ(moves[2].second, core::HistoryList::Mastered);

    OpenStats();
    std::set<std::string> words{carded, spelled, chosen};
    EXPECT_EQ(W()->Summary().todayWords, static_cast<int>(words.size()));
    EXPECT_EQ(W()->Summary().streak, 1);
    EXPECT_EQ(W()->Summary().days.back().mastered, 2);
    EXPECT_EQ(Bars(W()->ChartDaily)[1]->at(29), 2);
    EXPECT_EQ(Line(W()->ChartRates, QStringLiteral("输入测试"))->at(0), QPointF(29, 0));
    EXPECT_EQ(Line(W()->ChartRates, QStringLiteral("选择测试"))->at(0), QPointF(29, 100));

    // Closing the program ends the study period: four minutes of it.
    Shell().History().Close();
    const core::HistoryRead closed = core::ReadHistory(HistoryFile());
    const auto period = std::find_if(closed.events.begin(), closed.events.end(), [](const auto& e) {
        return e.kind == core::HistoryKind::Period;
    });
    ASSERT_NE(period, closed.events.end());
    EXPECT_EQ(period->end - period->time, std::chrono::minutes(4));
}

} // namespace
