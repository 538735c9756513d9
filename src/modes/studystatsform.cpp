#include "studystatsform.h"

#include "core/studystate.h"
#include "host/errortext.h"
#include "host/modehost.h"
#include "host/uistyle.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDate>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextCharFormat>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace {

QDate DateOf(long long day) {
    return QDate(1970, 1, 1).addDays(day);
}

QString DayText(long long day, std::size_t groupSize) {
    return DateOf(day).toString(groupSize >= 30 ? QStringLiteral("yyyy-MM")
                                                : QStringLiteral("MM-dd"));
}

/// What one bar or point stands for: a day, or the run of days that starts there.
QString GroupText(long long day, std::size_t groupSize) {
    if (groupSize <= 1) {
        return DateOf(day).toString(QStringLiteral("yyyy-MM-dd"));
    }
    return DateOf(day).toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 起") +
           QString::number(groupSize) + QStringLiteral("天");
}

QChartView* NewChartView(const QString& name, QWidget* parent) {
    auto* view = new QChartView(parent);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(200, 150);
    return view;
}

/// Puts chart in view in place of the one it showed, which goes, and names the view by it.
void ShowChart(QChartView* view, QChart* chart) {
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
    view->setAccessibleName(chart->title());
}

QChart* NewChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setFont(SongFont(12));
    chart->setTitleFont(SongFont(14, true));
    chart->legend()->setFont(SongFont(12));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

/// The x axis of bars and points at 0..count-1, labelled with dates, about eight of them.
QCategoryAxis* DayAxis(const std::vector<core::DayFigures>& groups, std::size_t groupSize) {
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setLabelsFont(SongFont(11));
    const std::size_t count = std::max<std::size_t>(groups.size(), 1);
    axis->setRange(-0.5, static_cast<double>(count) - 0.5);
    const std::size_t step = std::max<std::size_t>(1, (count + 7) / 8);
    for (std::size_t i = 0; i < groups.size(); i += step) {
        axis->append(DayText(groups[i].day, groupSize), static_cast<double>(i));
    }
    axis->setGridLineVisible(false);
    return axis;
}

QValueAxis* ValueAxis(double top, const QString& title = {}) {
    auto* axis = new QValueAxis;
    axis->setLabelsFont(SongFont(11));
    // The axes count whole things: a range under four would be cut into fractions, which the
    // whole-number labels would show as a column of zeros.
    axis->setRange(0, std::max(top, 4.0));
    axis->setLabelFormat(QStringLiteral("%d"));
    if (!title.isEmpty()) {
        axis->setTitleText(title);
        axis->setTitleFont(SongFont(11));
    }
    axis->applyNiceNumbers();
    return axis;
}

void Hint(const QString& text) {
    QToolTip::showText(QCursor::pos(), text);
}

/// Hover on a line shows the value of the nearest point.
void HoverNumbers(QLineSeries* series, const std::vector<core::DayFigures>* groups,
                  const std::size_t* groupSize, const QString& unit) {
    QObject::connect(
        series, &QLineSeries::hovered, series,
        [series, groups, groupSize, unit](const QPointF& at, bool state) {
            if (!state) {
                QToolTip::hideText();
                return;
            }
            const QList<QPointF> points = series->points();
            const auto nearest = std::min_element(
                points.begin(), points.end(), [&at](const QPointF& a, const QPointF& b) {
                    return std::abs(a.x() - at.x()) < std::abs(b.x() - at.x());
                });
            if (nearest == points.end()) {
                return;
            }
            const auto i = static_cast<std::size_t>(std::lround(nearest->x()));
            if (i >= groups->size()) {
                return;
            }
            Hint(GroupText((*groups)[i].day, *groupSize) + QStringLiteral("\n") + series->name() +
                 QStringLiteral("：") +
                 QString::number(nearest->y(), 'f', unit == QStringLiteral("%") ? 0 : 1)
                     .remove(QRegularExpression(QStringLiteral("\\.0$"))) +
                 unit);
        });
}

void HoverNumbers(QBarSet* set, const std::vector<core::DayFigures>* groups,
                  const std::size_t* groupSize) {
    QObject::connect(set, &QBarSet::hovered, set, [set, groups, groupSize](bool state, int index) {
        if (!state || index < 0 || static_cast<std::size_t>(index) >= groups->size()) {
            QToolTip::hideText();
            return;
        }
        Hint(GroupText((*groups)[static_cast<std::size_t>(index)].day, *groupSize) +
             QStringLiteral("\n") + set->label() + QStringLiteral("：") +
             QString::number(set->at(index)));
    });
}

constexpr const char* RangeNames[] = {"7天", "30天", "一年", "全部"};
constexpr core::HistoryRange Ranges[] = {core::HistoryRange::Week, core::HistoryRange::Month,
                                         core::HistoryRange::Year, core::HistoryRange::All};
constexpr const char* RatedModeNames[] = {"输入测试", "选择测试"};

} // namespace

TStudyStatsForm::TStudyStatsForm(ModeHost& host, QWidget* parent) : QWidget(parent), host_(host) {
    setObjectName(QStringLiteral("StudyStatsForm"));
    setWindowTitle(QStringLiteral("学习统计"));
    SetBackground(this, StudyModeColour);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(4);

    LbSummary = new QLabel(QStringLiteral("正在读取学习记录…"), this);
    LbSummary->setObjectName(QStringLiteral("LbSummary"));
    LbSummary->setFont(SongFont(14, true));
    LbSummary->setTextFormat(Qt::PlainText);
    LbSummary->setWordWrap(true);
    column->addWidget(LbSummary);
    // The ranges sit beside the page tabs, where they leave the charts their room.
    auto* rangeBox = new QWidget(this);
    auto* rangeRow = new QHBoxLayout(rangeBox);
    rangeRow->setContentsMargins(0, 0, 0, 2);
    rangeRow->setSpacing(2);
    ranges_ = new QButtonGroup(this);
    for (std::size_t i = 0; i < BtRange.size(); ++i) {
        auto* button = new QPushButton(QString::fromUtf8(RangeNames[i]), rangeBox);
        button->setObjectName(QStringLiteral("BtRange%1").arg(i + 1));
        button->setCheckable(true);
        button->setFont(SongFont(12));
        button->setFocusPolicy(Qt::NoFocus);
        // As narrow as the text allows: the page tabs beside them must not be squeezed.
        button->setFixedWidth(QFontMetrics(button->font()).horizontalAdvance(button->text()) + 14);
        button->setAccessibleName(QStringLiteral("显示") + button->text());
        ranges_->addButton(button, static_cast<int>(i));
        rangeRow->addWidget(button);
        BtRange[i] = button;
    }
    BtRange[1]->setChecked(true);
    connect(ranges_, &QButtonGroup::idClicked, this,
            [this](int id) { SetRange(Ranges[static_cast<std::size_t>(id)]); });

    LbSkipped = new QLabel(this);
    LbSkipped->setObjectName(QStringLiteral("LbSkipped"));
    LbSkipped->setFont(SongFont(12));
    LbSkipped->setWordWrap(true);
    LbSkipped->setTextFormat(Qt::PlainText);
    SetTextColour(LbSkipped, QColor(128, 0, 0));
    LbSkipped->hide();
    column->addWidget(LbSkipped);

    Tabs = new QTabWidget(this);
    Tabs->setObjectName(QStringLiteral("Tabs"));
    Tabs->setFont(SongFont(12));
    Tabs->setCornerWidget(rangeBox, Qt::TopRightCorner);
    column->addWidget(Tabs, 1);

    ChartDaily = NewChartView(QStringLiteral("ChartDaily"), Tabs);
    Tabs->addTab(ChartDaily, QStringLiteral("每日学习"));

    auto* calendarPage = new QWidget(Tabs);
    auto* calendarColumn = new QVBoxLayout(calendarPage);
    LbStreak = new QLabel(calendarPage);
    LbStreak->setObjectName(QStringLiteral("LbStreak"));
    LbStreak->setFont(SongFont(14, true));
    StudyCalendar = new QCalendarWidget(calendarPage);
    StudyCalendar->setObjectName(QStringLiteral("StudyCalendar"));
    StudyCalendar->setFont(SongFont(12));
    StudyCalendar->setFirstDayOfWeek(Qt::Monday);
    StudyCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    StudyCalendar->setLocale(QLocale(QLocale::Chinese, QLocale::China));
    calendarColumn->addWidget(LbStreak);
    calendarColumn->addWidget(StudyCalendar, 1);
    Tabs->addTab(calendarPage, QStringLiteral("学习日历"));

    ChartRates = NewChartView(QStringLiteral("ChartRates"), Tabs);
    Tabs->addTab(ChartRates, QStringLiteral("正确率"));

    auto* pronunciation = new QWidget(Tabs);
    auto* pronunciationRow = new QHBoxLayout(pronunciation);
    pronunciationRow->setContentsMargins(0, 0, 0, 0);
    ChartScores = NewChartView(QStringLiteral("ChartScores"), pronunciation);
    ChartSounds = NewChartView(QStringLiteral("ChartSounds"), pronunciation);
    pronunciationRow->addWidget(ChartScores, 3);
    pronunciationRow->addWidget(ChartSounds, 2);
    Tabs->addTab(pronunciation, QStringLiteral("发音"));

    ChartLists = NewChartView(QStringLiteral("ChartLists"), Tabs);
    Tabs->addTab(ChartLists, QStringLiteral("单词表"));
    stale_.fill(false);
    connect(Tabs, &QTabWidget::currentChanged, this, &TStudyStatsForm::ChartPage);
}

TStudyStatsForm::~TStudyStatsForm() = default;

void TStudyStatsForm::Start(ModeButton) {
    Read();
}

void TStudyStatsForm::Read() {
    worker_.Cancel();
    const std::string path = host_.HistoryPath();
    const core::TimePoint now = host_.Clock().Now();
    const core::HistoryRange range = range_;
    struct Result {
        std::shared_ptr<core::HistoryRead> read;
        core::HistorySummary summary;
        bool whole = false;
    };
    // Reading a year of heavy use takes longer than a click may wait, so it runs on the worker
    // in two steps: the end of the file, enough for the recent days that the window opens on,
    // then the whole of it.
    const auto deliver = [this, range](Result result) {
        if (range == range_) {
            summary_ = std::move(result.summary);
        } else {
            summary_ = core::SummarizeHistory(result.read->events, host_.Clock().Now(), range_);
        }
        Show(std::move(*result.read), result.whole);
    };
    if (!path.empty()) {
        worker_.Post(
            this,
            [path, now, range](const core::CancelToken&) {
                Result result;
                result.read = std::make_shared<core::HistoryRead>(
                    core::ReadHistoryTail(path, now - std::chrono::hours(24 * 40)));
                result.summary = core::SummarizeHistory(result.read->events, now, range);
                return result;
            },
            deliver);
    }
    worker_.Post(
        this,
        [path, now, range](const core::CancelToken& token) {
            Result result;
            result.whole = true;
            result.read = std::make_shared<core::HistoryRead>(
                path.empty() ? core::HistoryRead{} : core::ReadHistory(path, &token));
            if (!token.Cancelled()) {
                result.summary = core::SummarizeHistory(result.read->events, now, range);
            }
            return result;
        },
        deliver);
}

void TStudyStatsForm::Show(core::HistoryRead read, bool whole) {
    // The first look has part of the file only: what it skipped is said once the whole is read.
    if (whole) {
        ShowSkipped(read);
    }
    events_ = std::move(read.events);
    if (whole || !loaded_) {
        loaded_ = whole;
        Refresh();
        emit ChartsShown();
    }
}

void TStudyStatsForm::SetRange(core::HistoryRange range) {
    range_ = range;
    const auto index = std::find(std::begin(Ranges), std::end(Ranges), range) - std::begin(Ranges);
    BtRange[static_cast<std::size_t>(index)]->setChecked(true);
    summary_ = core::SummarizeHistory(events_, host_.Clock().Now(), range_);
    Refresh();
}

void TStudyStatsForm::Refresh() {
    groupSize_ = core::GroupSizeFor(summary_.days.size());
    groups_ = core::GroupDays(summary_.days, groupSize_);
    ShowTopLine();
    // Only the page in view is charted now; the others when they are turned to.
    stale_.fill(true);
    ChartPage(Tabs->currentIndex());
}

void TStudyStatsForm::ChartPage(int page) {
    if (page < 0 || static_cast<std::size_t>(page) >= stale_.size() ||
        !stale_[static_cast<std::size_t>(page)]) {
        return;
    }
    stale_[static_cast<std::size_t>(page)] = false;
    switch (page) {
    case 0:
        ChartDays();
        break;
    case 1:
        ChartCalendar();
        break;
    case 2:
        ChartRateLines();
        break;
    case 3:
        ChartPronunciation();
        break;
    case 4:
        ChartListSizes();
        break;
    default:
        break;
    }
}

void TStudyStatsForm::ChartAll() {
    for (int page = 0; page < static_cast<int>(stale_.size()); ++page) {
        ChartPage(page);
    }
}

void TStudyStatsForm::ShowTopLine() {
    LbSummary->setText(QStringLiteral("今天 %1 个单词 · 本周 %2 个 · 连续学习%3天 · 已掌握 %4 个")
                           .arg(summary_.todayWords)
                           .arg(summary_.weekWords)
                           .arg(summary_.streak)
                           .arg(host_.State().MasteredCount));
    LbSummary->setAccessibleName(LbSummary->text());
}

void TStudyStatsForm::ShowSkipped(const core::HistoryRead& read) {
    QStringList parts;
    if (!read.status.ok) {
        parts << ErrorText(read.status);
    }
    if (read.damaged > 0 || read.tornLast) {
        parts << QStringLiteral("学习记录中有 %1 行已损坏，已跳过。")
                     .arg(read.damaged + (read.tornLast ? 1 : 0));
    }
    if (read.newer > 0) {
        parts << QStringLiteral("有 %1 行来自更新版本的程序，已跳过。").arg(read.newer);
    }
    if (read.outOfOrder > 0) {
        parts << QStringLiteral("有 %1 条记录时间先后颠倒（系统时钟曾被调回），已按时间排列。")
                     .arg(read.outOfOrder);
    }
    LbSkipped->setText(parts.join(QLatin1Char(' ')));
    LbSkipped->setVisible(!parts.isEmpty());
}

void TStudyStatsForm::ChartDays() {
    QChart* chart = NewChart(groupSize_ > 1 ? QStringLiteral("每%1天学习的单词").arg(groupSize_)
                                            : QStringLiteral("每日学习的单词"));
    auto* studied = new QBarSet(QStringLiteral("学习单词"));
    studied->setColor(QColor(32, 112, 200));
    auto* mastered = new QBarSet(QStringLiteral("掌握单词"));
    mastered->setColor(QColor(0, 150, 60));
    auto* minutes = new QLineSeries;
    minutes->setName(QStringLiteral("学习分钟"));
    minutes->setColor(QColor(230, 120, 0));
    minutes->setPointsVisible(true);
    double top = 0, topMinutes = 0;
    int totalStudied = 0, totalMastered = 0;
    double totalMinutes = 0;
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        const core::DayFigures& g = groups_[i];
        *studied << g.studied;
        *mastered << g.mastered;
        minutes->append(static_cast<double>(i), std::round(g.minutes));
        top = std::max<double>(top, std::max(g.studied, g.mastered));
        topMinutes = std::max(topMinutes, g.minutes);
        totalStudied += g.studied;
        totalMastered += g.mastered;
        totalMinutes += g.minutes;
    }
    auto* bars = new QBarSeries;
    bars->append(studied);
    bars->append(mastered);
    chart->addSeries(bars);
    chart->addSeries(minutes);
    QCategoryAxis* x = DayAxis(groups_, groupSize_);
    chart->addAxis(x, Qt::AlignBottom);
    QValueAxis* y = ValueAxis(top, QStringLiteral("单词"));
    chart->addAxis(y, Qt::AlignLeft);
    QValueAxis* y2 = ValueAxis(topMinutes, QStringLiteral("分钟"));
    chart->addAxis(y2, Qt::AlignRight);
    bars->attachAxis(x);
    bars->attachAxis(y);
    minutes->attachAxis(x);
    minutes->attachAxis(y2);
    HoverNumbers(studied, &groups_, &groupSize_);
    HoverNumbers(mastered, &groups_, &groupSize_);
    HoverNumbers(minutes, &groups_, &groupSize_, QStringLiteral("分钟"));
    ShowChart(ChartDaily, chart);
    ChartDaily->setAccessibleDescription(
        QStringLiteral("共 %1 天：每天学习的单词合计 %2 个，掌握单词 %3 个，学习 %4 分钟。")
            .arg(summary_.days.size())
            .arg(totalStudied)
            .arg(totalMastered)
            .arg(std::lround(totalMinutes)));
}

void TStudyStatsForm::ChartCalendar() {
    StudyCalendar->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat studyDay;
    studyDay.setBackground(QColor(0, 160, 0));
    studyDay.setForeground(Qt::white);
    int days = 0;
    for (const core::DayFigures& d : summary_.days) {
        if (d.studied > 0 || d.minutes > 0) {
            StudyCalendar->setDateTextFormat(DateOf(d.day), studyDay);
            ++days;
        }
    }
    StudyCalendar->setSelectedDate(DateOf(summary_.today));
    LbStreak->setText(
        QStringLiteral("连续学习%1天　（所选时段内学习了 %2 天）").arg(summary_.streak).arg(days));
    StudyCalendar->setAccessibleName(QStringLiteral("学习日历"));
    StudyCalendar->setAccessibleDescription(LbStreak->text());
}

void TStudyStatsForm::ChartRateLines() {
    QChart* chart = NewChart(QStringLiteral("测试正确率"));
    QCategoryAxis* x = DayAxis(groups_, groupSize_);
    chart->addAxis(x, Qt::AlignBottom);
    QValueAxis* y = ValueAxis(100, QStringLiteral("%"));
    y->setRange(0, 100);
    chart->addAxis(y, Qt::AlignLeft);
    QStringList parts;
    for (std::size_t m = 0; m < std::size(core::RatedModes); ++m) {
        auto* line = new QLineSeries;
        line->setName(QString::fromUtf8(RatedModeNames[m]));
        line->setPointsVisible(true);
        int right = 0, tried = 0;
        for (std::size_t i = 0; i < groups_.size(); ++i) {
            if (groups_[i].tried[m] > 0) {
                line->append(static_cast<double>(i),
                             100.0 * groups_[i].right[m] / groups_[i].tried[m]);
            }
            right += groups_[i].right[m];
            tried += groups_[i].tried[m];
        }
        chart->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
        HoverNumbers(line, &groups_, &groupSize_, QStringLiteral("%"));
        parts << (tried > 0 ? QStringLiteral("%1答对 %2 次，共 %3 次（%4%）")
                                  .arg(line->name())
                                  .arg(right)
                                  .arg(tried)
                                  .arg(std::lround(100.0 * right / tried))
                            : QStringLiteral("%1没有记录").arg(line->name()));
    }
    ShowChart(ChartRates, chart);
    ChartRates->setAccessibleDescription(parts.join(QStringLiteral("；")) + QStringLiteral("。"));
}

void TStudyStatsForm::ChartPronunciation() {
    QChart* chart = NewChart(QStringLiteral("发音得分"));
    auto* line = new QLineSeries;
    line->setName(QStringLiteral("平均得分"));
    line->setPointsVisible(true);
    int scores = 0;
    double sum = 0;
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        if (groups_[i].scores > 0) {
            line->append(static_cast<double>(i), groups_[i].scoreSum / groups_[i].scores);
        }
        scores += groups_[i].scores;
        sum += groups_[i].scoreSum;
    }
    chart->addSeries(line);
    QCategoryAxis* x = DayAxis(groups_, groupSize_);
    chart->addAxis(x, Qt::AlignBottom);
    QValueAxis* y = ValueAxis(100);
    y->setRange(0, 100);
    chart->addAxis(y, Qt::AlignLeft);
    line->attachAxis(x);
    line->attachAxis(y);
    HoverNumbers(line, &groups_, &groupSize_, QStringLiteral("分"));
    ShowChart(ChartScores, chart);
    ChartScores->setAccessibleDescription(
        scores > 0
            ? QStringLiteral("录音 %1 次，平均得分 %2。").arg(scores).arg(std::lround(sum / scores))
            : QStringLiteral("所选时段内没有录音得分。"));

    QChart* sounds = NewChart(QStringLiteral("最常出错的音"));
    sounds->legend()->hide();
    auto* set = new QBarSet(QStringLiteral("次数"));
    auto* axis = new QBarCategoryAxis;
    axis->setLabelsFont(QFont(QStringLiteral("DFPhonetic"), 12));
    QStringList parts;
    int top = 0;
    // The most frequent at the top.
    for (auto it = summary_.flaggedSounds.rbegin(); it != summary_.flaggedSounds.rend(); ++it) {
        const QString sound = QString::fromStdString(it->first);
        *set << it->second;
        axis->append(sound);
        top = std::max(top, it->second);
    }
    for (const auto& [sound, count] : summary_.flaggedSounds) {
        parts << QStringLiteral("/%1/ %2 次").arg(QString::fromStdString(sound)).arg(count);
    }
    auto* bars = new QHorizontalBarSeries;
    bars->append(set);
    sounds->addSeries(bars);
    sounds->addAxis(axis, Qt::AlignLeft);
    QValueAxis* count = ValueAxis(top);
    sounds->addAxis(count, Qt::AlignBottom);
    bars->attachAxis(axis);
    bars->attachAxis(count);
    connect(set, &QBarSet::hovered, set, [set, axis](bool state, int index) {
        if (state && index >= 0 && index < axis->count()) {
            Hint(QStringLiteral("/%1/：%2 次").arg(axis->at(index)).arg(set->at(index)));
        } else {
            QToolTip::hideText();
        }
    });
    ShowChart(ChartSounds, sounds);
    ChartSounds->setAccessibleDescription(
        parts.isEmpty() ? QStringLiteral("所选时段内没有标出的音。")
                        : QStringLiteral("最常出错的音：") + parts.join(QStringLiteral("，")) +
                              QStringLiteral("。"));
}

void TStudyStatsForm::ChartListSizes() {
    QChart* chart = NewChart(QStringLiteral("三个单词表的大小"));
    const QString names[] = {QStringLiteral("新单词"), QStringLiteral("已掌握"),
                             QStringLiteral("需复习")};
    QCategoryAxis* x = DayAxis(groups_, groupSize_);
    chart->addAxis(x, Qt::AlignBottom);
    long long top = 0;
    for (const core::DayFigures& g : groups_) {
        top = std::max(top, *std::max_element(g.lists.begin(), g.lists.end()));
    }
    QValueAxis* y = ValueAxis(static_cast<double>(top), QStringLiteral("单词"));
    chart->addAxis(y, Qt::AlignLeft);
    for (std::size_t k = 0; k < 3; ++k) {
        auto* line = new QLineSeries;
        line->setName(names[k]);
        for (std::size_t i = 0; i < groups_.size(); ++i) {
            if (groups_[i].listsKnown) {
                line->append(static_cast<double>(i), static_cast<double>(groups_[i].lists[k]));
            }
        }
        chart->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
        HoverNumbers(line, &groups_, &groupSize_, QStringLiteral("个"));
    }
    ShowChart(ChartLists, chart);
    const auto last = std::find_if(groups_.rbegin(), groups_.rend(),
                                   [](const core::DayFigures& g) { return g.listsKnown; });
    ChartLists->setAccessibleDescription(
        last == groups_.rend() ? QStringLiteral("所选时段内没有单词表的记录。")
                               : QStringLiteral("最近：新单词 %1 个，已掌握 %2 个，需复习 %3 个。")
                                     .arg(last->lists[0])
                                     .arg(last->lists[1])
                                     .arg(last->lists[2]));
}
