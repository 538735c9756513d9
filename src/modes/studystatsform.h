#pragma once
#include "core/historyreader.h"
#include "core/historystats.h"
#include "host/modewindow.h"
#include "sound/uiworker.h"

#include <QWidget>
#include <array>
#include <memory>

class QButtonGroup;
class QCalendarWidget;
class QChartView;
class QLabel;
class QPushButton;
class QTabWidget;
class ModeHost;

/// The study statistics "学习统计(&J)": the learner's figures at a glance on the top line
/// (today's words, this week's, the streak, the words mastered) and charts of the study history
/// over 7 days, 30 days, a year or all of it. The history is read on a worker; the window shows
/// at once and fills in when it arrives, saying once what it had to skip.
class TStudyStatsForm : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    explicit TStudyStatsForm(ModeHost& host, QWidget* parent = nullptr);
    ~TStudyStatsForm() override;

    // ModeWindow
    QWidget* Widget() override { return this; }
    /// Reads the history (again) and shows it.
    void Start(ModeButton button) override;

    /// The range shown.
    core::HistoryRange Range() const { return range_; }
    /// Shows another range.
    void SetRange(core::HistoryRange range);
    /// The figures shown; empty before the history has been read.
    const core::HistorySummary& Summary() const { return summary_; }
    /// True once the whole history has been read and charted.
    bool Loaded() const { return loaded_; }
    /// Charts every page now, not only the one in view (pages are charted when turned to).
    void ChartAll();

    QLabel* LbSummary;                     ///< today, this week, streak, mastered
    QLabel* LbSkipped;                     ///< what the reading skipped; hidden when nothing
    QTabWidget* Tabs;                      ///< one page per chart
    std::array<QPushButton*, 4> BtRange{}; ///< 7 days, 30 days, a year, all
    QChartView* ChartDaily;                ///< words studied and mastered (bars), minutes (line)
    QCalendarWidget* StudyCalendar;        ///< study days marked
    QLabel* LbStreak;                      ///< "连续学习N天"
    QChartView* ChartRates;                ///< right-answer rate per test mode
    QChartView* ChartScores;               ///< pronunciation score trend
    QChartView* ChartSounds;               ///< sounds most often flagged
    QChartView* ChartLists;                ///< the sizes of the three lists

signals:
    /// The charts show what was read: first the recent days, then the whole history.
    void ChartsShown();

private:
    void Read();
    void Show(core::HistoryRead read, bool whole);
    void Refresh();
    void ChartPage(int page);
    void ShowTopLine();
    void ShowSkipped(const core::HistoryRead& read);
    void ChartDays();
    void ChartCalendar();
    void ChartRateLines();
    void ChartPronunciation();
    void ChartListSizes();

    ModeHost& host_;
    core::HistoryRange range_ = core::HistoryRange::Month;
    std::vector<core::HistoryEvent> events_;
    core::HistorySummary summary_;
    std::vector<core::DayFigures> groups_; ///< the range's days as charted
    std::size_t groupSize_ = 1;
    bool loaded_ = false;
    std::array<bool, 5> stale_{}; ///< per page: charted before the figures changed
    QButtonGroup* ranges_;
    sound::UiWorker worker_; ///< last: stopped before the rest goes
};
