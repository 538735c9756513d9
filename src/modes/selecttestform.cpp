#include "selecttestform.h"

#include "core/choicetest.h"
#include "core/historyevent.h"
#include "core/studystate.h"
#include "core/wordentry.h"
#include "host/messageservice.h"
#include "host/modehost.h"
#include "host/uistyle.h"
#include "sound/pronunciation.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

const QString EmptyText = QStringLiteral("您选的学习内容已空。\r\n\r\n请另选学习内容。");
const QColor RowColour(247, 247, 247);  // 16250871
const QColor Cream(255, 251, 240);      // clCream
const QColor RuleColour(200, 200, 200); // clScrollBar
constexpr int RowHeight = 22;
constexpr int SpacerHeight = 12;

/// Lines copied from the word banks when the learner's lists hold too few different ones.
constexpr std::size_t BankLinesWanted = 2000;

QString MarkerDescription(core::ChoiceMarker marker) {
    switch (marker) {
    case core::ChoiceMarker::Right:
        return QStringLiteral("正确");
    case core::ChoiceMarker::Wrong:
        return QStringLiteral("错误");
    case core::ChoiceMarker::Neutral:
        break;
    }
    return QStringLiteral("待选");
}

} // namespace

TSelectTestForm1::TSelectTestForm1(ModeHost& host, std::shared_ptr<const ChoiceMarkers> markers,
                                   QWidget* parent)
    : QWidget(parent), host_(host), markers_(std::move(markers)),
      test_(host.State(), host.Random(), [appDir = host.State().AppDir] {
          return core::ReadBankLines(appDir, BankLinesWanted);
      }) {
    setObjectName(QStringLiteral("SelectTestForm1"));
    setWindowTitle(QStringLiteral("选择测试窗口"));
    BuildWindow();
}

TSelectTestForm1::~TSelectTestForm1() = default;

QFrame* TSelectTestForm1::BuildPanel(int first, QLabel*& word, QLabel*& rule,
                                     const QColor& colour) {
    auto* panel = new QFrame(Panel2);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(1);
    SetBackground(panel, colour);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(1, 1, 1, 1);
    column->setSpacing(0);

    word = new QLabel(panel);
    word->setFixedHeight(40);
    word->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    word->setWordWrap(true);
    word->setFont(NamedFont(QStringLiteral("Times New Roman"), 35));
    word->setTextFormat(Qt::PlainText);
    SetBackground(word, Cream);
    column->addWidget(word);

    rule = new QLabel(panel);
    rule->setFixedHeight(1);
    SetBackground(rule, RuleColour);
    column->addWidget(rule);

    for (int k = first; k < first + 4; ++k) {
        auto* spacer = new QLabel(panel);
        spacer->setFixedHeight(SpacerHeight);
        spacer->setObjectName(QStringLiteral("Label%1").arg(k + 1));
        Spacers[static_cast<std::size_t>(k)] = spacer;
        column->addWidget(spacer);

        auto* row = new QLabel(panel);
        row->setObjectName(QStringLiteral("MYwordLabel%1").arg(k + 1));
        row->setFixedHeight(RowHeight);
        row->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        row->setFont(NamedFont(QStringLiteral("Times New Roman"), 16));
        row->setTextFormat(Qt::PlainText);
        row->setCursor(Qt::PointingHandCursor);
        SetBackground(row, RowColour);
        // A row left out when too few meanings were found keeps its place.
        QSizePolicy policy = row->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        row->setSizePolicy(policy);
        row->installEventFilter(this);
        MYwordLabel[static_cast<std::size_t>(k)] = row;
        column->addWidget(row);
    }
    return panel;
}

void TSelectTestForm1::BuildWindow() {
    SetBackground(this, QColor(236, 236, 255)); // 16772332
    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(0);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(41);
    Panel5 = new QFrame(Panel1);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    for (int k = 0; k < 8; ++k) {
        auto* button = new QPushButton(Panel5);
        button->setObjectName(QStringLiteral("SBT%1").arg(k + 1));
        button->setFlat(true);
        button->setFixedSize(31, 22);
        button->setIconSize(QSize(18, 18));
        button->setFocusPolicy(Qt::NoFocus);
        QSizePolicy policy = button->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        button->setSizePolicy(policy);
        button->setAccessibleName(QStringLiteral("第%1题第%2个选择的标记")
                                      .arg(k < 4 ? QStringLiteral("一") : QStringLiteral("二"))
                                      .arg(k % 4 + 1));
        connect(button, &QPushButton::clicked, this, [this, k] { MYwordLabelClick(k); });
        SBT[static_cast<std::size_t>(k)] = button;
    }

    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* column = new QVBoxLayout(Panel2);
    column->setContentsMargins(0, 8, 16, 0);
    column->setSpacing(0);

    Label9 = new QLabel(QStringLiteral("测试内容来自您选择的学习内容"), Panel2);
    Label9->setObjectName(QStringLiteral("Label9"));
    Label9->setFont(SongFont(24));
    Label13 =
        new QLabel(QStringLiteral("请认真选择， 如果您选择错误将自动列为需要复习的内容"), Panel2);
    Label13->setObjectName(QStringLiteral("Label13"));
    Label13->setFont(SongFont(14));
    column->addWidget(Label9);
    column->addSpacing(4);
    column->addWidget(Label13);
    column->addSpacing(SpacerHeight);

    Panel3 = BuildPanel(0, MYwordLabelA, Label12, Qt::white); // clBtnHighlight
    Panel3->setObjectName(QStringLiteral("Panel3"));
    MYwordLabelA->setObjectName(QStringLiteral("MYwordLabelA"));
    Label12->setObjectName(QStringLiteral("Label12"));
    column->addWidget(Panel3);

    auto* between = new QLabel(Panel2);
    between->setObjectName(QStringLiteral("Label10"));
    between->setFixedHeight(SpacerHeight);
    Spacers[8] = between;
    column->addWidget(between);

    Panel4 = BuildPanel(4, MYwordLabelB, Label11, Qt::white); // clWhite
    Panel4->setObjectName(QStringLiteral("Panel4"));
    MYwordLabelB->setObjectName(QStringLiteral("MYwordLabelB"));
    Label11->setObjectName(QStringLiteral("Label11"));
    column->addWidget(Panel4);
    column->addStretch(1);

    Panel6 = new QFrame(Panel2);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setFixedHeight(41);
    auto* counters = new QHBoxLayout(Panel6);
    counters->setContentsMargins(0, 0, 0, 0);
    counters->setSpacing(40);
    Label14 = new QLabel(QStringLiteral("0"), Panel6);
    Label14->setObjectName(QStringLiteral("Label14"));
    Label15 = new QLabel(QStringLiteral("正确选择：0个"), Panel6);
    Label15->setObjectName(QStringLiteral("Label15"));
    Label16 = new QLabel(QStringLiteral("点击错误：0个"), Panel6);
    Label16->setObjectName(QStringLiteral("Label16"));
    for (QLabel* label : {Label14, Label15, Label16}) {
        label->setFont(SongFont(14));
        counters->addWidget(label);
    }
    counters->addStretch(1);
    column->addWidget(Panel6);

    columns->addWidget(Panel1);
    columns->addWidget(Panel2, 1);

    Formclose1 = new QPushButton(QStringLiteral("close"), Panel2);
    Formclose1->setObjectName(QStringLiteral("Formclose1"));
    Formclose1->setFlat(true);
    Formclose1->setFocusPolicy(Qt::NoFocus);
    Formclose1->setFont(NamedFont(QStringLiteral("Times New Roman"), 13, true));
    SetTextColour(Formclose1, Qt::blue);
    Formclose1->resize(45, 22);
    connect(Formclose1, &QPushButton::clicked, this, &QWidget::close);

    for (int k = 0; k < 8; ++k) {
        SetMarker(k, core::ChoiceMarker::Neutral);
    }
}

QWidget* TSelectTestForm1::Widget() {
    return this;
}

void TSelectTestForm1::Start(ModeButton) {
    if (started_) {
        return;
    }
    started_ = true;
    const bool asking = test_.Start();
    Label14->setText(QString::fromStdString(test_.SizeText()));
    if (!asking) {
        host_.Messages().Inform(EmptyText);
        close();
        return;
    }
    ShowPanel(core::ChoicePanel::Upper);
    ShowPanel(core::ChoicePanel::Lower);
    if (!test_.TestWord().empty()) {
        host_.Pronounce(sound::PronounceVariant::ChoiceTest, test_.TestWord());
    }
}

void TSelectTestForm1::MYwordLabelClick(int row) {
    const std::string asked = test_.Question();
    const core::ChoiceClick click = test_.Click(row);
    if (click.result == core::ChoiceResult::Ignored) {
        return;
    }
    host_.RecordStudy(core::AnswerEvent({}, core::HistoryMode::Choice, core::EntryWord(asked),
                                        click.result == core::ChoiceResult::Right
                                            ? core::HistoryResult::Right
                                            : core::HistoryResult::Wrong));
    const auto panel = static_cast<core::ChoicePanel>(row / 4);
    ShowPanel(panel);
    ShowCounters();
    if (click.result == core::ChoiceResult::Right) {
        ShowPanel(static_cast<core::ChoicePanel>(1 - row / 4));
        // A line without "[" has no word to sound.
        if (click.asked && !test_.TestWord().empty()) {
            host_.Pronounce(sound::PronounceVariant::ChoiceTest, test_.TestWord());
        }
    }
}

void TSelectTestForm1::ShowPanel(core::ChoicePanel panel) {
    const core::ChoicePanelView& view = test_.Panel(panel);
    const int first = static_cast<int>(panel) * 4;
    (panel == core::ChoicePanel::Upper ? MYwordLabelA : MYwordLabelB)
        ->setText(QString::fromStdString(view.question));
    bool anyOffered = false;
    for (const core::ChoiceRow& row : view.rows) {
        anyOffered = anyOffered || row.offered;
    }
    for (int k = 0; k < 4; ++k) {
        const core::ChoiceRow& row = view.rows[static_cast<std::size_t>(k)];
        QLabel* label = MYwordLabel[static_cast<std::size_t>(first + k)];
        label->setText(QString::fromStdString(row.text));
        // Rows that could not be filled are left out; a blank panel keeps its empty rows.
        const bool shown = row.offered || !anyOffered;
        label->setVisible(shown);
        SBT[static_cast<std::size_t>(first + k)]->setVisible(shown);
        SetMarker(first + k, row.marker);
    }
}

void TSelectTestForm1::ShowCounters() {
    Label15->setText(QString::fromStdString(test_.RightText()));
    Label16->setText(QString::fromStdString(test_.WrongText()));
}

void TSelectTestForm1::SetMarker(int row, core::ChoiceMarker marker) {
    QPushButton* button = SBT[static_cast<std::size_t>(row)];
    button->setIcon(QIcon(markers_->Picture(marker)));
    button->setAccessibleDescription(MarkerDescription(marker));
}

void TSelectTestForm1::Hover(QLabel* row, bool on) {
    QFont font = row->font();
    font.setBold(on);
    font.setUnderline(on);
    row->setFont(font);
    SetBackground(row, on ? QColor(0, 128, 0) : RowColour);
    SetTextColour(row, on ? QColor(255, 0, 0) : palette().color(QPalette::WindowText));
}

bool TSelectTestForm1::eventFilter(QObject* watched, QEvent* event) {
    for (int k = 0; k < 8; ++k) {
        QLabel* row = MYwordLabel[static_cast<std::size_t>(k)];
        if (watched != row) {
            continue;
        }
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                row->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
                MYwordLabelClick(k);
                return true;
            }
            break;
        case QEvent::Enter:
            Hover(row, true);
            break;
        case QEvent::Leave:
            Hover(row, false);
            break;
        default:
            break;
        }
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TSelectTestForm1::PlaceMarkers() {
    if (layout() != nullptr) {
        layout()->activate();
    }
    for (QLayout* inner : {Panel2->layout(), Panel3->layout(), Panel4->layout()}) {
        inner->activate();
    }
    // Panel5 sits at the bottom of the strip and reaches up past the first row.
    // The rows lie in Panel2, beside the strip: both are mapped through the window.
    const int firstRow = MYwordLabel[0]->mapTo(this, QPoint(0, 0)).y() - Panel1->y();
    const int top = std::max(0, std::min(Panel1->height() - 330, firstRow - SpacerHeight));
    Panel5->setGeometry(0, top, Panel1->width(), Panel1->height() - top);
    for (int k = 0; k < 8; ++k) {
        QLabel* row = MYwordLabel[static_cast<std::size_t>(k)];
        const int y = Panel5->mapFrom(this, row->mapTo(this, QPoint(0, 0))).y() +
                      (row->height() - RowHeight) / 2;
        SBT[static_cast<std::size_t>(k)]->move(5, y);
    }
}

void TSelectTestForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceMarkers();
    Formclose1->move(Panel2->width() - 50, 0);
    Formclose1->raise();
}

void TSelectTestForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    PlaceMarkers();
    Formclose1->move(Panel2->width() - 50, 0);
    Formclose1->raise();
}

void RegisterChoiceTestWindow(ModeHost& host) {
    // The pictures are read once, when the first test window is made (the program folder is
    // known only after sign-in).
    auto markers = std::make_shared<std::shared_ptr<const ChoiceMarkers>>();
    ModeRegistration choice;
    choice.slot = ModeSlot::ChoiceTest;
    choice.stop = BrowseStop::IfRunning;
    choice.timer1Off = true;
    choice.colour = StudyModeColour;
    choice.create = [&host, markers](QWidget* parent) -> ModeWindow* {
        if (!*markers) {
            *markers =
                std::make_shared<const ChoiceMarkers>(QString::fromStdString(host.State().AppDir));
        }
        return new TSelectTestForm1(host, *markers, parent);
    };
    host.RegisterMode(ModeButton::BtSelectTest1, std::move(choice));
}
