#include "hereadform.h"

#include "core/browse.h"
#include "core/colourcycle.h"
#include "core/historyevent.h"
#include "core/soundindex.h"
#include "core/studystate.h"
#include "host/errortext.h"
#include "host/messageservice.h"
#include "host/modehost.h"
#include "host/uistyle.h"
#include "sound/mediaplayer.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <memory>

namespace {

const QString FlashTimePrefix = QStringLiteral("跟读速记时间余");
const QString BrowseTimePrefix = QStringLiteral("浏览跟读时间余");
const QString RestCaption = QStringLiteral("消息");

QColor ToColour(const core::Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

} // namespace

THeReadForm1::THeReadForm1(ModeHost& host, core::Browse& browse, QWidget* parent)
    : QWidget(parent), host_(host), state_(host.State()), browse_(browse), cards_(host.State()) {
    setObjectName(QStringLiteral("HeReadForm1"));
    BuildWindow();
    connect(host_.Timer1(), &QTimer::timeout, this, &THeReadForm1::Timer1Timer);
    connect(host_.Timer2(), &QTimer::timeout, this, &THeReadForm1::BrowseTick);
}

THeReadForm1::~THeReadForm1() = default;

void THeReadForm1::BuildWindow() {
    SetBackground(this, Qt::black);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFixedHeight(217);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    Label1->setWordWrap(true);
    Label1->setFont(NamedFont(QStringLiteral("Times New Roman"), 96));
    SetTextColour(Label1, Qt::red);

    Label8 = new QLabel(this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setFixedHeight(8);
    SetBackground(Label8, QColor(55, 55, 55));

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFixedHeight(57);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label2->setFont(NamedFont(QStringLiteral("DFPhonetic"), 48));
    SetTextColour(Label2, QColor(0, 128, 255));

    Label9 = new QLabel(this);
    Label9->setObjectName(QStringLiteral("Label9"));
    Label9->setFixedHeight(8);
    SetBackground(Label9, QColor(54, 54, 54));
    Label9->hide();

    Panel7 = new QFrame(this);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    Panel7->setFixedHeight(28);
    SetBackground(Panel7, QColor(54, 54, 54));
    Panel7->hide();

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setWordWrap(true);
    // The meaning fills the rest of the window and is the one item that stretches. It keeps
    // its place while hidden, and a long meaning is cut at the bottom rather than pushing on
    // the bands above: otherwise the layout would spread the spare height over the fixed
    // bands, and the answer buttons would jump from one stage to the next.
    QSizePolicy meaningPolicy(QSizePolicy::Preferred, QSizePolicy::Ignored);
    meaningPolicy.setRetainSizeWhenHidden(true);
    Label3->setSizePolicy(meaningPolicy);
    Label3->setFont(NamedFont(QStringLiteral("宋体"), 48));
    SetTextColour(Label3, QColor(128, 0, 64));

    // The card shows entries as they are written: markup in a bank or list line is text, not
    // formatting (nor a picture to fetch) for the label to carry out.
    for (QLabel* label : {Label1, Label2, Label3}) {
        label->setTextFormat(Qt::PlainText);
    }

    column->addWidget(Label1);
    column->addWidget(Label8);
    column->addWidget(Label2);
    column->addWidget(Label9);
    column->addWidget(Panel7);
    column->addWidget(Label3, 1);
    // Fixed bands from the top; should the meaning ever leave the layout, this keeps the
    // spare height at the bottom.
    column->addStretch(0);

    struct Answer {
        QPushButton** button;
        const char* name;
        const char* caption;
        int left;
        void (THeReadForm1::*click)();
        Qt::Key key;
        const char* keyName;
    };
    // The answers on offer at one time sit left to right and take the keys 1, 2, 3 in that
    // order, so that a learner can answer card after card without the mouse; only shown
    // buttons take their key.
    const Answer answers[] = {
        {&BtMyknow, "BtMyknow", "我知道", 168, &THeReadForm1::BtMyknowClick, Qt::Key_1, "1"},
        {&BtMyDimness, "BtMyDimness", "不清楚", 256, &THeReadForm1::BtMyDimnessClick, Qt::Key_2,
         "2"},
        {&BtMyUnknown, "BtMyUnknown", "生疏词", 352, &THeReadForm1::BtMyUnknownClick, Qt::Key_3,
         "3"},
        {&BtNextword1, "BtNextword1", "猜对了", 168, &THeReadForm1::BtNextword1Click, Qt::Key_1,
         "1"},
        {&Btnext1, "Btnext1", "没猜准", 272, &THeReadForm1::Btnext1Click, Qt::Key_2, "2"},
        {&BtAlreadyMastery1, "BtAlreadyMastery1", "已掌握", 368,
         &THeReadForm1::BtAlreadyMastery1Click, Qt::Key_3, "3"},
        {&BtrepeatNext1, "BtrepeatNext1", "继续", 192, &THeReadForm1::BtrepeatNext1Click,
         Qt::Key_Return, "回车"},
    };
    for (const Answer& a : answers) {
        auto* button = new QPushButton(
            QStringLiteral("%1 %2").arg(QString::fromUtf8(a.caption), QString::fromUtf8(a.keyName)),
            Panel7);
        button->setObjectName(QString::fromLatin1(a.name));
        button->setFlat(true);
        button->setGeometry(a.left, 0, a.key == Qt::Key_Return ? 96 : 78, 28);
        button->setFont(NamedFont(QStringLiteral("宋体"), 13));
        SetTextColour(button, Qt::white);
        connect(button, &QPushButton::clicked, this, a.click);
        // A key of the button's own, not the button's shortcut: that one clicks a tenth of a
        // second late, and a learner answering by key goes faster than that.
        auto* key = new QShortcut(QKeySequence(a.key), button);
        connect(key, &QShortcut::activated, button, &QPushButton::click);
        *a.button = button;
    }
    BtrepeatNext1->hide();

    Formclose1 = new QPushButton(QStringLiteral("×"), this);
    Formclose1->setObjectName(QStringLiteral("Formclose1"));
    Formclose1->setFlat(true);
    Formclose1->resize(23, 22);
    Formclose1->setFont(NamedFont(QStringLiteral("宋体"), 13, true));
    SetTextColour(Formclose1, Qt::green);
    connect(Formclose1, &QPushButton::clicked, this, &QWidget::close);
}

void THeReadForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Formclose1->move(width() - 28, 0);
    Formclose1->raise();
}

void THeReadForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        host_.Label4()->setText(QString::fromStdString(state_.LearnerName) +
                                QStringLiteral("：请大声跟读! 提高你的记忆效率!"));
    }
}

void THeReadForm1::closeEvent(QCloseEvent* event) {
    // Clearing the flags first keeps a pronunciation that ends later from restarting a run.
    state_.BrowseMode = 0;
    if (sound::MediaPlayer* player = host_.MediaPlayer1()) {
        try {
            player->Close();
        } catch (const std::exception& e) {
            host_.Messages().ShowError(ErrorText(e));
        }
    }
    host_.Timer1()->stop();
    host_.Timer2()->stop();
    state_.BrowseRunning = 0;
    event->accept();
}

void THeReadForm1::StartFlashCards() {
    cards_.Start(host_.Clock().Now());
    host_.Timer2()->stop();
    host_.Timer1()->start();
    Label9->hide();
    Panel7->show();
    ShowCard();
    cards_.RecountMastered();
}

void THeReadForm1::StartBrowse() {
    Label9->show();
    Label3->show();
    browse_.Begin(host_.Clock().Now());
    Panel7->hide();
    QTimer* timer2 = host_.Timer2();
    timer2->stop();
    timer2->setInterval(1);
    timer2->start();
}

void THeReadForm1::ApplyView(bool withMeaning) {
    const core::CardView& view = cards_.View();
    for (QPushButton* b : {BtMyknow, BtMyDimness, BtMyUnknown}) {
        b->setVisible(view.judge);
    }
    for (QPushButton* b : {BtNextword1, Btnext1, BtAlreadyMastery1}) {
        b->setVisible(view.grade);
    }
    BtrepeatNext1->setVisible(view.next);
    if (withMeaning) {
        Label3->setVisible(view.meaning);
    }
}

void THeReadForm1::ShowFace(const core::CardFace& face) {
    Label1->setText(QString::fromStdString(face.word));
    Label2->setText(QString::fromStdString(face.phonetic));
    Label3->setText(QString::fromStdString(face.meaning));
}

void THeReadForm1::SpeakWord(const std::string& text) {
    host_.SpeakText(QString::fromStdString(text));
}

void THeReadForm1::ShowCard() {
    const core::CardShown shown = cards_.ShowCard(host_.Clock().Now());
    host_.ShowStudyTime(FlashTimePrefix, shown.timeText);
    if (shown.stop != core::CardStop::None) {
        // The run has stopped: the answer buttons go (the labels stay as they were), so that
        // no unseen entry is moved and no empty entry reaches a list.
        ApplyView(false);
        if (shown.stop == core::CardStop::EmptyContent) {
            host_.Messages().Inform(QStringLiteral("您选的学习内容已空。\r\n\r\n请另选学习内容。"));
            return;
        }
        // OK starts a new fifteen-minute period and carries on with the card at the cursor;
        // Cancel only closes the box.
        if (host_.Messages().AskOkCancel(RestCaption,
                                         QStringLiteral("本次学习完毕\r\n   请休息几分钟！")) ==
            MessageService::Answer::Ok) {
            cards_.RenewPeriod(host_.Clock().Now());
            ShowCard();
        }
        return;
    }

    ShowFace(shown.face);
    Label3->setVisible(cards_.View().meaning);
    // A recording that cannot be played is reported once, and the card stays usable: the
    // word is spoken instead, its answers are still offered and "不清楚" speaks the word (no
    // stored sound value).
    PronounceOptions options;
    options.speakOnFailure = true;
    cardSoundFile_ =
        host_.Pronounce(sound::PronounceVariant::CardNext, cards_.Word(), options).value;
    ApplyView(true);
}

void THeReadForm1::RecordAnswer(core::HistoryResult result) {
    host_.RecordStudy(core::AnswerEvent({}, core::HistoryMode::Cards, cards_.Word(), result));
}

void THeReadForm1::BtMyknowClick() {
    if (!cards_.MyKnow()) {
        return;
    }
    RecordAnswer(core::HistoryResult::Known);
    ApplyView(true);
    // Always by speech, never from the recording.
    SpeakWord(cards_.Word());
}

void THeReadForm1::BtMyDimnessClick() {
    if (!cards_.MyDimness()) {
        return;
    }
    RecordAnswer(core::HistoryResult::Revealed);
    ApplyView(true);
    PronounceOptions options;
    options.cardSoundFile = cardSoundFile_;
    options.speakOnFailure = true;
    host_.Pronounce(sound::PronounceVariant::CardUnclear, cards_.Word(), options);
}

void THeReadForm1::BtMyUnknownClick() {
    const core::UnknownAnswer answer = cards_.MyUnknown();
    if (answer == core::UnknownAnswer::Ignored) {
        return;
    }
    RecordAnswer(core::HistoryResult::Unknown);
    if (answer == core::UnknownAnswer::Added) {
        SpeakWord(cards_.Word());
    }
    ApplyView(true);
}

void THeReadForm1::BtrepeatNext1Click() {
    if (cards_.RepeatNext()) {
        ApplyView(true);
        ShowCard();
    }
}

void THeReadForm1::BtNextword1Click() {
    if (cards_.NextWord()) {
        ShowCard();
    }
}

void THeReadForm1::Btnext1Click() {
    if (cards_.GuessAgain()) {
        ShowCard();
    }
}

void THeReadForm1::BtAlreadyMastery1Click() {
    if (cards_.AlreadyMastery()) {
        ShowCard();
    }
}

void THeReadForm1::Timer1Timer() {
    const core::CardColours colours = core::ColourCycleTick(state_);
    SetTextColour(Label1, ToColour(colours.word));
    SetTextColour(Label2, ToColour(colours.phonetic));
    SetTextColour(Label3, ToColour(colours.meaning));
}

void THeReadForm1::BrowseTick() {
    QTimer* timer2 = host_.Timer2();
    if (state_.BrowseMode != 1) {
        // A stray tick outside browsing starts nothing.
        timer2->stop();
        return;
    }
    const core::BrowseStep step = browse_.Tick(host_.Clock().Now());
    if (step.firstTick) {
        timer2->setInterval(1200);
        host_.Timer1()->start();
    }
    host_.ShowStudyTime(BrowseTimePrefix, step.timeText);

    switch (step.stop) {
    case core::BrowseStop::RestBox:
        timer2->stop();
        // OK starts a new fifteen-minute period and browsing goes on; Cancel only closes the
        // box and the run waits, out of time.
        if (host_.Messages().AskOkCancel(RestCaption,
                                         QStringLiteral("十五分钟浏览完毕\r\n   请休息几分钟！")) ==
                MessageService::Answer::Ok &&
            state_.BrowseMode == 1 && state_.BrowseRunning == 1) {
            browse_.RenewPeriod(host_.Clock().Now());
            timer2->start();
        }
        return;
    case core::BrowseStop::Ended:
        timer2->stop();
        host_.Timer1()->stop();
        host_.Messages().Inform(QStringLiteral("您选的学习内容为空。\r\n\r\n请另选学习内容。"));
        return;
    case core::BrowseStop::None:
        break;
    }

    ShowFace(step.face);
    // The run pauses until the pronunciation has ended; whoever sees the end (the speech
    // watch or the player's notification) starts the timer again. Stopping it before the
    // sound starts keeps an end that is reported at once from being lost.
    timer2->stop();
    // A recording that cannot be played is reported and the word is spoken instead, so the
    // run goes on rather than retrying the same file for ever.
    PronounceOptions options;
    options.spokenText = step.spoken;
    options.speakOnFailure = true;
    host_.Pronounce(sound::PronounceVariant::Browse, step.word, options);
    browse_.Shown();
    host_.LBalreadymastery()->setText(QString::fromStdString(browse_.CountText()));
}

QWidget* THeReadForm1::Widget() {
    return this;
}

void THeReadForm1::Start(ModeButton button) {
    if (button == ModeButton::lookword) {
        StartBrowse();
    } else {
        StartFlashCards();
    }
}

void RegisterCardWindow(ModeHost& host) {
    // The browse rules live as long as the program: the repeat count carries over from one
    // run to the next, also when the card window was closed in between.
    auto browse = std::make_shared<core::Browse>(host.State());
    auto create = [&host, browse](QWidget* parent) -> ModeWindow* {
        return new THeReadForm1(host, *browse, parent);
    };

    ModeRegistration flash;
    flash.slot = ModeSlot::Cards;
    flash.stop = BrowseStop::Always;
    flash.colour = CardModeColour;
    flash.create = create;
    host.RegisterMode(ModeButton::Btfollow, std::move(flash));

    ModeRegistration look;
    look.slot = ModeSlot::Cards;
    look.colour = CardModeColour;
    look.endsWhileBrowsing = true;
    look.prepare = [&host, browse] {
        browse->NormaliseCursor();
        const core::BrowseContent content = browse->CheckContent();
        if (content == core::BrowseContent::NewWords ||
            content == core::BrowseContent::MasteredWords) {
            // Browsing switched to the new or the mastered words: the study-content window
            // shows the kind that is studied now.
            host.StudyContentChanged();
        }
        if (content != core::BrowseContent::Nothing) {
            return true;
        }
        host.Messages().Inform(
            QStringLiteral("没有您需要复习或学习的内容\r\n\r\n       请看看您有没有选择词库"));
        return false;
    };
    look.create = create;
    host.RegisterMode(ModeButton::lookword, std::move(look));
}
