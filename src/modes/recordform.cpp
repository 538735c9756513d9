#include "recordform.h"

#include "comparisonview.h"

#include "core/colourcycle.h"
#include "core/historyevent.h"
#include "core/recordingcycle.h"
#include "core/studyperiod.h"
#include "core/studystate.h"
#include "core/voicesamples.h"
#include "host/errortext.h"
#include "host/messageservice.h"
#include "host/modehost.h"
#include "host/uistyle.h"
#include "sound/mediaplayer.h"
#include "sound/pronunciation.h"
#include "sound/recording.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>
#include <memory>

namespace {

const QString TimePrefix = QStringLiteral("跟读速记时间余");
const QString RestText = QStringLiteral("本次学习完毕   请休息几分钟！");

QColor ToColour(const core::Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TRecordForm1::TRecordForm1(ModeHost& host, core::RecordingCycle& cycle,
                           const PlayerFactory& makePlayer, QWidget* parent)
    : QWidget(parent), host_(host), state_(host.State()), cycle_(cycle) {
    setObjectName(QStringLiteral("RecordForm1"));
    cycle_.NewWindow();
    BuildWindow();

    MYRecordPlayer1 = MakePlayer(makePlayer, this);
    MYRecordPlayer1->setObjectName(QStringLiteral("MYRecordPlayer1"));
    MYRecordPlayer2 = MakePlayer(makePlayer, this);
    MYRecordPlayer2->setObjectName(QStringLiteral("MYRecordPlayer2"));
    connect(MYRecordPlayer1, &sound::MediaPlayer::Notify, this,
            &TRecordForm1::MYRecordPlayer1Notify);
    // A model sound that breaks while playing is reported; its Notify then ends the
    // measurement.
    connect(MYRecordPlayer1, &sound::MediaPlayer::Failed, this, &TRecordForm1::Report);
    // A recording that cannot be played back ends the playback phase, reported once.
    connect(MYRecordPlayer2, &sound::MediaPlayer::Failed, this,
            [this](const core::Status& failure) {
                Report(failure);
                if (Timer3->isActive()) {
                    Timer3->stop();
                    ApplyTick(cycle_.PlaybackFailed());
                }
            });

    struct TimerRow {
        QTimer** timer;
        const char* name;
        int interval;
        void (TRecordForm1::*tick)();
    };
    const TimerRow timers[] = {
        {&Timer1, "Timer1", core::RecordTickMs, &TRecordForm1::Timer1Timer},
        {&Timer2, "Timer2", core::RecordTickMs, &TRecordForm1::Timer2Timer},
        {&Timer3, "Timer3", core::RecordTickMs, &TRecordForm1::Timer3Timer},
        {&Timer4, "Timer4", 1500, &TRecordForm1::Timer4Timer},
    };
    for (const TimerRow& row : timers) {
        auto* timer = new QTimer(this);
        timer->setObjectName(QString::fromLatin1(row.name));
        timer->setInterval(row.interval);
        // The phases are counted in ticks; precise ticks keep a recording as long as counted.
        timer->setTimerType(Qt::PreciseTimer);
        connect(timer, &QTimer::timeout, this, row.tick);
        *row.timer = timer;
    }
}

TRecordForm1::~TRecordForm1() = default;

void TRecordForm1::BuildWindow() {
    SetBackground(this, Qt::black);
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Label1 = new QLabel(QStringLiteral("录音跟读"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFixedHeight(155);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    Label1->setFont(NamedFont(QStringLiteral("Times New Roman"), 67));
    SetTextColour(Label1, Qt::red);

    Label8 = new QLabel(this);
    Label8->setObjectName(QStringLiteral("Label8"));
    Label8->setFixedHeight(6);
    SetBackground(Label8, buttonFace);

    Label2 = new QLabel(QStringLiteral("    welcome!"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFixedHeight(57);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Label2->setFont(NamedFont(QStringLiteral("DFPhonetic"), 48));
    SetTextColour(Label2, QColor(0, 128, 255));

    Label5 = new QLabel(this);
    Label5->setObjectName(QStringLiteral("Label5"));
    Label5->setFixedHeight(6);
    SetBackground(Label5, buttonFace);

    auto* meaningArea = new QWidget(this);
    auto* meaningRow = new QHBoxLayout(meaningArea);
    meaningRow->setContentsMargins(0, 0, 0, 0);
    meaningRow->setSpacing(0);
    Image1 = new QLabel(meaningArea);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(163, 131);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setAccessibleName(QStringLiteral("正在录音"));
    Image1->hide();
    Label3 = new QLabel(QStringLiteral("当您去掉自动录放前面的√时，电脑读完后您需点击录放按钮。"),
                        meaningArea);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label3->setWordWrap(true);
    Label3->setFont(NamedFont(QStringLiteral("宋体"), 35));
    SetTextColour(Label3, QColor(128, 0, 64));
    meaningRow->addWidget(Image1, 0, Qt::AlignTop);
    meaningRow->addWidget(Label3, 1);

    // Entries are shown as written: markup in a list line is text, not formatting.
    for (QLabel* label : {Label1, Label2, Label3}) {
        label->setTextFormat(Qt::PlainText);
    }

    Panel7 = new QFrame(this);
    Panel7->setObjectName(QStringLiteral("Panel7"));
    Panel7->setFixedHeight(45);
    SetBackground(Panel7, QColor(231, 252, 226));

    column->addWidget(Label1);
    column->addWidget(Label8);
    column->addWidget(Label2);
    column->addWidget(Label5);
    column->addWidget(meaningArea, 1);
    // Above the control bar, taking its room from the meaning's: the word, its phonetic and its
    // meaning stay in view. It appears after the first recording.
    Comparison = new ComparisonView(this);
    column->addWidget(Comparison);
    connect(Comparison, &ComparisonView::Updated, this, [this](int score) {
        // Only a score against a model with speech says how the word was said.
        if (score >= 0 && !comparedWord_.empty()) {
            // The weakest sound, where the word was scored sound by sound.
            std::string worst;
            const core::SoundScores& scores = Comparison->Sounds().scores;
            if (Comparison->HasSounds() && Comparison->Sounds().status && scores.worst >= 0 &&
                scores.worst < static_cast<int>(scores.sounds.size())) {
                worst = scores.sounds[static_cast<std::size_t>(scores.worst)].symbol;
            }
            host_.RecordStudy(core::ScoreEvent({}, comparedWord_, score, worst));
        }
    });
    column->addWidget(Panel7);

    Label4 = new QLabel(QStringLiteral("声音长度： "), Panel7);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(16, 12, 200, 22);
    Label4->setFont(SongFont(15, true));
    SetTextColour(Label4, Qt::black);

    struct ButtonRow {
        QPushButton** button;
        const char* name;
        const char* caption;
        int left;
        bool enabled;
        void (TRecordForm1::*click)();
    };
    const ButtonRow buttons[] = {
        {&BtRecordword2, "BtRecordword2", "录放", 240, true, &TRecordForm1::BtRecordword2Click},
        {&BtwordNext1, "BtwordNext1", "开始", 330, true, &TRecordForm1::BtwordNext1Click},
        {&BtwordRecite1, "BtwordRecite1", "朗读", 420, false, &TRecordForm1::BtwordRecite1Click},
    };
    for (const ButtonRow& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), Panel7);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setGeometry(b.left, 8, 75, 29);
        button->setFont(SongFont(14));
        button->setEnabled(b.enabled);
        connect(button, &QPushButton::clicked, this, b.click);
        *b.button = button;
    }

    CheckBox1 = new QCheckBox(QStringLiteral("自动录放"), Panel7);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(520, 12, 110, 22);
    CheckBox1->setFont(SongFont(14));
    CheckBox1->setChecked(true);

    Formclose1 = new QPushButton(QStringLiteral("Close"), this);
    Formclose1->setObjectName(QStringLiteral("Formclose1"));
    Formclose1->resize(50, 22);
    connect(Formclose1, &QPushButton::clicked, this, &QWidget::close);
}

void TRecordForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Formclose1->move(width() - 58, 0);
    Formclose1->raise();
}

void TRecordForm1::Start(ModeButton /*button*/) {
    state_.StudyDeadline = core::StudyDeadlineFrom(host_.Clock().Now());
    cycle_.NewPeriod();
    ApplyButtons();
}

void TRecordForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        FormShow();
    } else {
        // Back from a minimised main window: the colours cycle again (hiding stopped them).
        Timer4->start();
    }
}

void TRecordForm1::FormShow() {
    CloseQuietly(host_.MediaPlayer1());
    cycle_.Show();
    Timer4->start();
    QPixmap microphone;
    if (microphone.load(Q(state_.AppDir) + QStringLiteral("microphone.bmp"))) {
        Image1->setPixmap(microphone.scaled(Image1->size(), Qt::KeepAspectRatio));
    } else {
        // The picture only illustrates the recording, which the red countdown already
        // announces: without it the window shows a short red text in its place rather than
        // interrupt the learner with a message.
        Image1->setText(QStringLiteral("录音中"));
        Image1->setFont(SongFont(35, true));
        SetTextColour(Image1, Qt::red);
    }
}

void TRecordForm1::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Nothing of the cycle goes on unseen: no timer, no sound, no recording, no comparison.
    StopAll();
    Comparison->Cancel();
    cycle_.Abort();
    Image1->hide();
    ApplyButtons();
}

void TRecordForm1::closeEvent(QCloseEvent* event) {
    StopAll();
    Comparison->Cancel();
    event->accept();
}

void TRecordForm1::StopAll() {
    for (QTimer* timer : {Timer1, Timer2, Timer3, Timer4}) {
        timer->stop();
    }
    CloseQuietly(MYRecordPlayer1);
    CloseQuietly(MYRecordPlayer2);
}

void TRecordForm1::CloseQuietly(sound::MediaPlayer* player) {
    if (player == nullptr) {
        return;
    }
    try {
        player->Close();
    } catch (const std::exception& e) {
        host_.Messages().ShowError(ErrorText(e));
    }
}

void TRecordForm1::Report(const core::Status& failure) {
    if (IsNotice(failure)) {
        host_.Messages().Inform(ErrorText(failure));
    } else {
        host_.Messages().ShowError(ErrorText(failure));
    }
}

QString TRecordForm1::TempWav() const {
    // The recording goes where the program writes (the learner data folder when installed).
    return sound::TempWav(state_.DataHome());
}

void TRecordForm1::ApplyButtons() {
    const core::RecordButtons& b = cycle_.Buttons();
    BtRecordword2->setEnabled(b.record);
    BtwordNext1->setEnabled(b.next);
    BtwordRecite1->setEnabled(b.recite);
    Image1->setVisible(cycle_.Microphone());
}

void TRecordForm1::ApplyTick(const core::TickResult& tick) {
    if (!tick.status.empty()) {
        Label4->setText(Q(tick.status));
    }
    if (tick.colour != core::StatusColour::Keep) {
        SetTextColour(Label4, tick.colour == core::StatusColour::Red ? QColor(255, 0, 0)
                                                                     : QColor(Qt::black));
    }
    ApplyButtons();
}

void TRecordForm1::BtwordNext1Click() {
    if (busy_) {
        return;
    }
    const core::ReciteResult recite = cycle_.Next(host_.Clock().Now());
    BtwordNext1->setText(Q(cycle_.NextCaption()));
    ShowWord(recite);
}

void TRecordForm1::BtwordRecite1Click() {
    if (busy_) {
        return;
    }
    ShowWord(cycle_.Recite(host_.Clock().Now()));
}

void TRecordForm1::ShowWord(const core::ReciteResult& recite) {
    host_.ShowStudyTime(TimePrefix, recite.timeText);
    ApplyButtons();
    if (!recite.shown) {
        host_.Messages().Inform(RestText);
        return;
    }
    Label1->setText(Q(recite.face.word));
    Label2->setText(Q(recite.face.phonetic));
    Label3->setText(Q(recite.face.meaning));
    // The strip spoke of the last recording of the word shown before; it comes back with the
    // next recording.
    Comparison->Cancel();
    Comparison->hide();

    PronounceOptions options;
    options.player = MYRecordPlayer1;
    BeginBusy();
    const sound::Pronunciation said =
        host_.Pronounce(sound::PronounceVariant::Recording, recite.word, options);
    EndBusy();
    if (cycle_.Phase() != core::RecordPhase::Measuring) {
        // The window was hidden or closed while the player was prepared: nothing sounds.
        CloseQuietly(MYRecordPlayer1);
        return;
    }
    if (said.how == sound::Pronounced::Silent || said.how == sound::Pronounced::Failed) {
        // Nothing sounds, so no player would ever end the measurement: the word is spoken
        // instead, as browsing does, and the end of the speech ends it.
        host_.SpeakText(Q(recite.word));
    }
    // The learner repeats what was heard: the sound file, or the speech made into samples.
    Comparison->SetVoiceFolder(core::LearnerVoiceFolder(state_.DataHome(), state_.LearnerName));
    Comparison->SetExpectedWord(recite.word);
    comparedWord_ = recite.word;
    if (said.how == sound::Pronounced::Played) {
        Comparison->SetModelFile(said.path, core::VoicePart::Whole, recite.word,
                                 host_.SpeechSpeed());
    } else {
        Comparison->SetModelSpeech(recite.word, host_.SpeechSpeed());
    }
    Timer1->start();
}

void TRecordForm1::BeginBusy() {
    busy_ = true;
}

void TRecordForm1::EndBusy() {
    busy_ = false;
    if (deletePending_) {
        deletePending_ = false;
        deleteLater();
    }
}

bool TRecordForm1::event(QEvent* event) {
    // A close let in while a step waits for messages must not delete the window under that
    // step's feet: the deletion follows when the step has ended.
    if (event->type() == QEvent::DeferredDelete && busy_) {
        deletePending_ = true;
        return true;
    }
    return QWidget::event(event);
}

void TRecordForm1::MYRecordPlayer1Notify() {
    state_.ModelSoundPlaying = 0;
}

void TRecordForm1::Timer1Timer() {
    const core::TickResult tick = cycle_.MeasureTick(CheckBox1->isChecked());
    ApplyTick(tick);
    switch (tick.action) {
    case core::TickAction::None:
        return;
    case core::TickAction::StartRecording:
        Timer1->stop();
        BtRecordword2Click();
        return;
    default:
        Timer1->stop();
        return;
    }
}

void TRecordForm1::BtRecordword2Click() {
    if (busy_ || !cycle_.BeginRecording()) {
        return;
    }
    Timer2->stop();
    Timer3->stop();
    Comparison->Cancel();
    ApplyButtons();
    BeginBusy();
    const bool started = sound::StartRecording(
        *MYRecordPlayer2, TempWav(), [this](const core::Status& failure) { Report(failure); });
    EndBusy();
    if (cycle_.Phase() != core::RecordPhase::Starting) {
        // The window was hidden or closed while the device was prepared: nothing records.
        CloseQuietly(MYRecordPlayer2);
        return;
    }
    if (!started) {
        cycle_.RecordingFailed();
        ApplyButtons();
        return;
    }
    cycle_.RecordingStarted();
    Timer2->start();
}

void TRecordForm1::Timer2Timer() {
    const core::TickResult tick = cycle_.RecordTick();
    if (tick.action == core::TickAction::Ignored) {
        Timer2->stop();
        return;
    }
    if (tick.action != core::TickAction::FinishRecording) {
        ApplyTick(tick);
        return;
    }
    Timer2->stop();
    const sound::RecordingEnd end = sound::FinishRecording(
        *MYRecordPlayer2, TempWav(), [this](const core::Status& failure) { Report(failure); });
    ApplyButtons();
    // The playback has started; the comparison runs beside it and shows when it is ready.
    if (end.saved) {
        Comparison->CompareRecording(TempWav());
    }
    if (!end.playing) {
        // The recording cannot be heard: the phase ends here, reported once.
        ApplyTick(cycle_.PlaybackFailed());
        return;
    }
    Timer3->start();
}

void TRecordForm1::Timer3Timer() {
    const core::TickResult tick = cycle_.PlaybackTick();
    ApplyTick(tick);
    if (tick.action != core::TickAction::None) {
        Timer3->stop();
    }
}

void TRecordForm1::Timer4Timer() {
    const core::CardColours colours = core::ColourCycleTick(state_);
    SetTextColour(Label1, ToColour(colours.word));
    SetTextColour(Label2, ToColour(colours.phonetic));
    SetTextColour(Label3, ToColour(colours.meaning));
}

void RegisterRecordWindow(ModeHost& host, PlayerFactory makePlayer) {
    // The cycle lives as long as the program: "录放" in a new window records with the model
    // length measured last.
    auto cycle = std::make_shared<core::RecordingCycle>(host.State());
    ModeRegistration registration;
    registration.slot = ModeSlot::Recording;
    registration.stop = BrowseStop::IfRunning;
    registration.timer1Off = true;
    registration.closePlayer = true;
    registration.create = [&host, cycle, makePlayer](QWidget* parent) -> ModeWindow* {
        return new TRecordForm1(host, *cycle, makePlayer, parent);
    };
    host.RegisterMode(ModeButton::btrecordword, std::move(registration));
}
