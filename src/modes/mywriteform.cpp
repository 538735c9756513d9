#include "mywriteform.h"

#include "core/historyevent.h"
#include "core/letterdiff.h"
#include "core/studystate.h"
#include "core/utf8.h"
#include "core/wordentry.h"
#include "host/errortext.h"
#include "host/messageservice.h"
#include "host/modehost.h"
#include "host/uistyle.h"
#include "sound/mediaplayer.h"
#include "sound/pronunciation.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

namespace {

const QString TimePrefix = QStringLiteral("跟读速记时间余");
const QString RestCaption = QStringLiteral("消息");
const QString RestText = QStringLiteral("本次学习完毕   请休息几分钟！");
const QString EmptyText = QStringLiteral("您选的学习内容已空。\r\n\r\n请另选学习内容。");
const QColor Teal(0, 128, 128);

/// How long a right answer waits for the end of its praise sound before the next word comes
/// anyway (the sound itself lasts about a second).
constexpr int PraiseWatchMs = 4000;

/// The attempt as rich text: wrong letters red, extra letters orange and struck through,
/// a blue "_" for every missing letter.
QString AttemptHtml(const std::vector<core::LetterSpan>& spans, int counts[3]) {
    QString html;
    for (const core::LetterSpan& span : spans) {
        const QString text = QString::fromStdString(span.text).toHtmlEscaped();
        const int letters = static_cast<int>(core::Utf8Length(span.text));
        switch (span.mark) {
        case core::LetterMark::Same:
            html += text;
            break;
        case core::LetterMark::Wrong:
            counts[0] += letters;
            html += QStringLiteral("<span style=\"color:#d00000;font-weight:bold\">") + text +
                    QStringLiteral("</span>");
            break;
        case core::LetterMark::Extra:
            counts[1] += letters;
            html += QStringLiteral("<span style=\"color:#e07000;text-decoration:line-through\">") +
                    text + QStringLiteral("</span>");
            break;
        case core::LetterMark::Missing:
            counts[2] += letters;
            html += QStringLiteral("<span style=\"color:#0050d0\">") +
                    QString(letters, QLatin1Char('_')) + QStringLiteral("</span>");
            break;
        }
    }
    return html;
}

} // namespace

TMyWriteForm1::TMyWriteForm1(ModeHost& host, std::shared_ptr<SpellingShared> shared,
                             QWidget* parent)
    : QWidget(parent), host_(host), state_(host.State()), shared_(std::move(shared)),
      test_(host.State()) {
    setObjectName(QStringLiteral("MyWriteForm1"));
    BuildWindow();
}

TMyWriteForm1::~TMyWriteForm1() = default;

void TMyWriteForm1::BuildWindow() {
    SetBackground(this, QColor(0xFF, 0xDA, 0xB5));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFixedHeight(65);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(63);
    auto* answerRow = new QHBoxLayout(Panel1);
    answerRow->setContentsMargins(0, 0, 0, 0);
    answerRow->setSpacing(12);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFrame(false);
    Edit1->setFixedHeight(63);
    Edit1->setFont(NamedFont(QStringLiteral("Times New Roman"), 48));
    SetTextColour(Edit1, Qt::red);
    Edit1->setAccessibleName(QStringLiteral("输入单词"));
    LbAttempt = new QLabel(Panel1);
    LbAttempt->setObjectName(QStringLiteral("LbAttempt"));
    LbAttempt->setFont(NamedFont(QStringLiteral("Times New Roman"), 32));
    LbAttempt->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Only text from the comparison reaches it, each letter escaped.
    LbAttempt->setTextFormat(Qt::RichText);
    LbAttempt->setAccessibleName(QStringLiteral("你的输入"));
    LbAttempt->setToolTip(
        QStringLiteral("你的输入：红色是拼错的字母，橙色划线是多余的字母，蓝色“_”是漏掉的字母"));
    LbAttempt->hide();
    answerRow->addWidget(Edit1, 3);
    answerRow->addWidget(LbAttempt, 2);

    Label8 = new QLabel(this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setFixedHeight(8);
    SetBackground(Label8, Teal);

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(NamedFont(QStringLiteral("DFPhonetic"), 48));
    SetTextColour(Label2, QColor(0x00, 0x80, 0xFF));

    Panel7 = new QFrame(this);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    Panel7->setFixedHeight(28);
    SetBackground(Panel7, Teal);
    BtNextword2 = new QPushButton(QStringLiteral("写好确认"), Panel7);
    BtNextword2->setObjectName(QStringLiteral("BtNextword2"));
    BtNextword2->setGeometry(168, 0, 78, 28);
    Btnext2 = new QPushButton(QStringLiteral("重新输入"), Panel7);
    Btnext2->setObjectName(QStringLiteral("Btnext2"));
    Btnext2->setGeometry(256, 0, 78, 28);
    for (QPushButton* button : {BtNextword2, Btnext2}) {
        button->setFlat(true);
        button->setFont(SongFont(13));
        SetTextColour(button, Qt::white);
        // The focus stays in Edit1, where the learner types.
        button->setFocusPolicy(Qt::NoFocus);
    }
    CheckBox2 = new QCheckBox(QStringLiteral("显示音标"), Panel7);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    CheckBox2->setFont(SongFont(13));
    CheckBox2->setFocusPolicy(Qt::NoFocus);
    SetTextColour(CheckBox2, Qt::white);
    CheckBox2->setGeometry(600, 0, 100, 28);

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setWordWrap(true);
    Label3->setFont(SongFont(35));
    SetTextColour(Label3, QColor(0x80, 0x00, 0x40));

    // Entries are shown as they are written: markup in a line is text, not formatting.
    for (QLabel* label : {Label1, Label2, Label3}) {
        label->setTextFormat(Qt::PlainText);
    }

    column->addWidget(Label1);
    column->addWidget(Panel1);
    column->addWidget(Label8);
    column->addWidget(Label2);
    column->addWidget(Panel7);
    column->addWidget(Label3, 1);

    Formclose1 = new QPushButton(QStringLiteral("Close"), this);
    Formclose1->setObjectName(QStringLiteral("Formclose1"));
    Formclose1->setFlat(true);
    Formclose1->setFocusPolicy(Qt::NoFocus);
    Formclose1->resize(50, 22);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(500);
    PraiseWatch = new QTimer(this);
    PraiseWatch->setObjectName(QStringLiteral("PraiseWatch"));
    PraiseWatch->setSingleShot(true);
    PraiseWatch->setInterval(PraiseWatchMs);

    connect(Btnext2, &QPushButton::clicked, this, &TMyWriteForm1::Btnext2Click);
    connect(BtNextword2, &QPushButton::clicked, this, &TMyWriteForm1::BtNextword2Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TMyWriteForm1::CheckBox2Click);
    connect(Formclose1, &QPushButton::clicked, this, &QWidget::close);
    connect(Timer1, &QTimer::timeout, this, &TMyWriteForm1::Timer1Timer);
    connect(PraiseWatch, &QTimer::timeout, this, [this] {
        if (test_.WaitsForPraise() && !Timer1->isActive()) {
            Timer1->start();
        }
    });

    Edit1->installEventFilter(this);
    for (QWidget* w : {static_cast<QWidget*>(Label1), static_cast<QWidget*>(Label2),
                       static_cast<QWidget*>(Label3), static_cast<QWidget*>(Panel7)}) {
        w->installEventFilter(this);
    }
}

QWidget* TMyWriteForm1::Widget() {
    return this;
}

void TMyWriteForm1::Start(ModeButton) {
    test_.Start(host_.Clock().Now());
    Edit1->setFocus();
    Btnext2Click();
}

void TMyWriteForm1::SharedSoundEnded() {
    if (test_.WaitsForPraise() && !Timer1->isActive()) {
        Timer1->start();
    }
}

void TMyWriteForm1::Btnext2Click() {
    Timer1->stop();
    PraiseWatch->stop();
    const core::SpellShown shown = test_.Prepare(host_.Clock().Now(), CheckBox2->isChecked());
    host_.ShowStudyTime(TimePrefix, shown.timeText);
    switch (shown.stop) {
    case core::SpellStop::None:
        if (test_.SpellAnswer != attemptAnswer_) {
            ShowAttempt({});
        }
        Edit1->clear();
        Label2->setText(QString::fromStdString(shown.phonetic));
        Label3->setText(QString::fromStdString(shown.meaning));
        host_.Pronounce(sound::PronounceVariant::Spelling, test_.SpellAnswer);
        return;
    case core::SpellStop::TimeUp:
        // OK starts a new period when there is a word to go on with; the word then comes with
        // "重新输入", as the box tells the learner to rest first. Cancel only closes the box.
        if (host_.Messages().AskOkCancel(RestCaption, RestText) == MessageService::Answer::Ok) {
            test_.RenewPeriod(host_.Clock().Now());
        }
        return;
    case core::SpellStop::EmptyContent:
        host_.Messages().Inform(EmptyText);
        return;
    }
}

void TMyWriteForm1::BtNextword2Click() {
    const std::string attempt = Edit1->text().toStdString();
    const std::string asked = test_.SpellAnswer;
    const core::SpellJudged judged = test_.Judge(attempt);
    if (judged.verdict != core::SpellVerdict::Ignored && !asked.empty()) {
        host_.RecordStudy(core::AnswerEvent({}, core::HistoryMode::Spelling, asked,
                                            judged.verdict == core::SpellVerdict::Right
                                                ? core::HistoryResult::Right
                                                : core::HistoryResult::Wrong));
    }
    switch (judged.verdict) {
    case core::SpellVerdict::Ignored:
        return;
    case core::SpellVerdict::Right:
        ShowAttempt({});
        Praise();
        return;
    case core::SpellVerdict::Wrong:
        Timer1->start();
        if (judged.speak) {
            host_.SpeakText(QString::fromStdString(test_.SpellAnswer));
        }
        ShowAttempt(core::Trim(attempt));
        return;
    }
}

void TMyWriteForm1::Praise() {
    // The end of the praise sound brings the next word. Should it never be reported, the
    // watch stands in for it, and a sound that cannot play at all goes on after one tick: the
    // test must not stop on a sound.
    PraiseWatch->start();
    sound::MediaPlayer* player = host_.MediaPlayer1();
    if (player == nullptr) {
        Timer1->start();
        return;
    }
    try {
        sound::PlayFile(*player, sound::PraiseSound(state_.AppDir));
    } catch (const std::exception& e) {
        if (!shared_->praiseFailureReported) {
            shared_->praiseFailureReported = true;
            host_.Messages().ShowError(ErrorText(e));
        }
        if (test_.WaitsForPraise()) {
            Timer1->start();
        }
    }
}

void TMyWriteForm1::Timer1Timer() {
    const core::SpellTick tick = test_.Tick();
    if (tick.write) {
        Edit1->setText(QString::fromStdString(tick.edit1));
    }
    if (tick.prepare) {
        Timer1->stop();
        Btnext2Click();
    } else if (!tick.write) {
        Timer1->stop();
    }
}

void TMyWriteForm1::CheckBox2Click() {
    Label2->setText(QString::fromStdString(test_.PhoneticText(CheckBox2->isChecked())));
}

void TMyWriteForm1::ShowAttempt(const std::string& attempt) {
    if (attempt.empty()) {
        attemptAnswer_.clear();
        LbAttempt->clear();
        LbAttempt->setAccessibleDescription({});
        LbAttempt->hide();
        return;
    }
    attemptAnswer_ = test_.SpellAnswer;
    int counts[3] = {0, 0, 0};
    LbAttempt->setText(
        AttemptHtml(core::CompareLetters(attempt, core::Trim(test_.SpellAnswer)), counts));
    LbAttempt->setAccessibleDescription(
        QStringLiteral("你的输入：%1。拼错%2个字母，多余%3个字母，漏掉%4个字母。")
            .arg(QString::fromStdString(attempt))
            .arg(counts[0])
            .arg(counts[1])
            .arg(counts[2]));
    LbAttempt->show();
}

bool TMyWriteForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            BtNextword2->click();
            return true;
        }
    }
    if (event->type() == QEvent::Enter) {
        Edit1->setFocus();
    }
    return QWidget::eventFilter(watched, event);
}

bool TMyWriteForm1::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        Edit1->setFocus();
    }
    return QWidget::event(event);
}

void TMyWriteForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Formclose1->move(width() - 60, 0);
    Formclose1->raise();
    CheckBox2->move(width() - 108, CheckBox2->y());
}

void TMyWriteForm1::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    PraiseWatch->stop();
    event->accept();
}

void RegisterSpellingWindow(ModeHost& host) {
    auto shared = std::make_shared<SpellingShared>();
    ModeRegistration spelling;
    spelling.slot = ModeSlot::Spelling;
    spelling.stop = BrowseStop::IfRunning;
    spelling.colour = StudyModeColour;
    spelling.colourAfterShow = true;
    spelling.create = [&host, shared](QWidget* parent) -> ModeWindow* {
        return new TMyWriteForm1(host, shared, parent);
    };
    host.RegisterMode(ModeButton::SpeedButton9, std::move(spelling));
}
