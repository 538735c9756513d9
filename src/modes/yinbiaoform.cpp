#include "yinbiaoform.h"

#include "comparisonview.h"

#include "core/phonetic.h"
#include "core/studystate.h"
#include "core/voicesamples.h"
#include "host/errortext.h"
#include "host/htmlview.h"
#include "host/messageservice.h"
#include "host/modehost.h"
#include "host/uistyle.h"
#include "sound/mediaplayer.h"
#include "sound/pronunciation.h"
#include "sound/recording.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QHideEvent>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

#include <exception>

namespace {

const QColor WindowColour(238, 238, 255); // 16772846
const QColor PanelColour(255, 202, 149);  // 9816831
const QColor SymbolColour(0, 128, 0);     // 32768
constexpr int PanelWidth = 580;
constexpr int PanelHeight = 408;
constexpr int PageHeight = 155;
const char* const TagProperty = "Tag";

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

/// The record button's picture, 31 × 32: a microphone beside a red sound wave.
QPixmap MicrophonePicture() {
    QPixmap picture(31, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(QColor(90, 90, 90));
    p.drawRoundedRect(QRectF(4, 3, 9, 16), 4.5, 4.5);
    p.setBrush(Qt::NoBrush);
    QPainterPath cradle;
    cradle.moveTo(1.5, 12);
    cradle.cubicTo(1.5, 25, 15.5, 25, 15.5, 12);
    p.drawPath(cradle);
    p.drawLine(QPointF(8.5, 22), QPointF(8.5, 28));
    p.drawLine(QPointF(4, 28.5), QPointF(13, 28.5));
    p.setPen(QPen(Qt::red, 2));
    for (int i = 0; i < 3; ++i) {
        const qreal r = 4 + 4 * i;
        p.drawArc(QRectF(18 - r, 11 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    }
    return picture;
}

} // namespace

TyinbiaoForm1::TyinbiaoForm1(ModeHost& host, const PlayerFactory& makePlayer, QWidget* parent)
    : QWidget(parent), host_(host), state_(host.State()) {
    setObjectName(QStringLiteral("yinbiaoForm1"));
    BuildWindow();
    MediaPlayer1 = MakePlayer(makePlayer, this);
    MediaPlayer1->setObjectName(QStringLiteral("MediaPlayer1"));
    connect(MediaPlayer1, &sound::MediaPlayer::Failed, this, &TyinbiaoForm1::Report);

    yinbiaoTimer1 = new QTimer(this);
    yinbiaoTimer1->setObjectName(QStringLiteral("yinbiaoTimer1"));
    yinbiaoTimer1->setInterval(core::LessonRecordTickMs);
    yinbiaoTimer1->setTimerType(Qt::PreciseTimer);
    connect(yinbiaoTimer1, &QTimer::timeout, this, &TyinbiaoForm1::yinbiaoTimer1Timer);
}

TyinbiaoForm1::~TyinbiaoForm1() = default;

void TyinbiaoForm1::BuildWindow() {
    SetBackground(this, WindowColour);

    yinbaioPanel1 = new QFrame(this);
    yinbaioPanel1->setObjectName(QStringLiteral("yinbaioPanel1"));
    yinbaioPanel1->setFixedSize(PanelWidth, PanelHeight);
    yinbaioPanel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    yinbaioPanel1->setLineWidth(1);
    yinbaioPanel1->setFont(NamedFont(QStringLiteral("DFPhonetic"), 16));
    SetBackground(yinbaioPanel1, PanelColour);

    SpeedButton1 = new QPushButton(yinbaioPanel1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setFlat(true);
    SpeedButton1->setGeometry(421, 201, 50, 50);
    SpeedButton1->setIcon(QIcon(MicrophonePicture()));
    SpeedButton1->setIconSize(QSize(31, 32));
    // The button shows only its picture; the accessibility bus gets its meaning.
    SpeedButton1->setAccessibleName(QStringLiteral("录音"));
    SpeedButton1->setAccessibleDescription(QStringLiteral("录下你的声音并马上播放"));
    connect(SpeedButton1, &QPushButton::clicked, this, &TyinbiaoForm1::SpeedButton1Click);

    closefrom1 = new QPushButton(QStringLiteral("bye-bye"), yinbaioPanel1);
    closefrom1->setObjectName(QStringLiteral("closefrom1"));
    closefrom1->setFlat(true);
    closefrom1->setGeometry(473, 201, 50, 50);
    QFont byeFont = NamedFont(QStringLiteral("Times New Roman"), 14, true);
    byeFont.setItalic(true);
    closefrom1->setFont(byeFont);
    connect(closefrom1, &QPushButton::clicked, this, &QWidget::close);

    YBWebBrowser1 = new HtmlView(yinbaioPanel1);
    YBWebBrowser1->setObjectName(QStringLiteral("YBWebBrowser1"));
    YBWebBrowser1->setGeometry(1, PanelHeight - 1 - PageHeight, PanelWidth - 2, PageHeight);

    // Outside the panel, so that it covers neither a symbol nor the lesson page.
    Comparison = new ComparisonView(this);
    Comparison->setFixedWidth(PanelWidth);
    connect(Comparison, &ComparisonView::Updated, this, &TyinbiaoForm1::PlaceComparison);
    connect(Comparison->HideButton, &QToolButton::clicked, this, &TyinbiaoForm1::PlaceComparison);
}

void TyinbiaoForm1::PlaceComparison() {
    constexpr int Gap = 6;
    const int strip = Comparison->height() + Gap;
    const int left = (width() - PanelWidth) / 2;
    int panelTop = (height() - PanelHeight) / 2;
    int stripTop = panelTop + PanelHeight + Gap;
    // The panel stays centred; the strip goes below it, or above it. Only a window too low
    // for either moves the panel up, and only while the strip shows.
    if (Comparison->isVisibleTo(this) && stripTop + Comparison->height() > height()) {
        if (panelTop - strip >= 0) {
            stripTop = panelTop - strip;
        } else {
            panelTop = std::max(0, (height() - PanelHeight - strip) / 2);
            stripTop = panelTop + PanelHeight + Gap;
        }
    }
    yinbaioPanel1->move(left, panelTop);
    Comparison->move(left, stripTop);
}

void TyinbiaoForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceComparison();
}

QPushButton* TyinbiaoForm1::SymbolButton(int k) const {
    return k >= 1 && k <= symbols_.size() ? symbols_[k - 1] : nullptr;
}

void TyinbiaoForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Set up once: showing the open window again leaves its page and buttons as they are.
    if (!event->spontaneous() && !shownOnce_) {
        shownOnce_ = true;
        FormShow();
    }
}

void TyinbiaoForm1::FormShow() {
    data_ = core::LoadLessonData(state_.AppDir);
    // A missing or short lesson file is named once; the symbols it lacks stay without a
    // working button or show their page without the missing line.
    for (const core::Status& problem : data_.problems) {
        host_.Messages().ShowError(ErrorText(problem));
    }
    MakeSymbolButtons();
    ShowPage(core::OverviewPage());
}

void TyinbiaoForm1::MakeSymbolButtons() {
    for (int k = 1; k <= core::LessonSymbols; ++k) {
        auto* button = new QPushButton(Q(data_.Caption(k)), yinbaioPanel1);
        button->setObjectName(QStringLiteral("Symbol%1").arg(k));
        button->setProperty(TagProperty, k);
        button->setFlat(true);
        const core::SymbolPlace place = core::SymbolButtonPlace(k);
        button->setGeometry(place.left, place.top, 50, 50);
        QFont font(QStringLiteral("DFPhonetic"));
        font.setPointSize(30);
        button->setFont(font);
        SetTextColour(button, SymbolColour);
        // The caption is in the typeface's letter codes; the accessibility bus gets the
        // symbol itself.
        button->setAccessibleName(Q(core::PhoneticCodesToIpa(data_.Caption(k))));
        button->setEnabled(data_.HasSymbol(k));
        connect(button, &QPushButton::clicked, this, &TyinbiaoForm1::MyClick);
        button->show();
        symbols_.append(button);
    }
    // The fifth row reaches under the record button; the record and close buttons stay on top
    // so that all of them can be pressed.
    SpeedButton1->raise();
    closefrom1->raise();
}

void TyinbiaoForm1::MyClick() {
    auto* button = qobject_cast<QPushButton*>(sender());
    if (button == nullptr) {
        return;
    }
    ShowSymbol(button->property(TagProperty).toInt());
}

void TyinbiaoForm1::ShowSymbol(int k) {
    switch (recording_.Click()) {
    case core::SymbolClick::Ignored:
        return;
    case core::SymbolClick::DiscardAndPlay:
        // The symbol needs the player: the recording is dropped, so its end never saves over
        // anything, least of all the symbol's own sound.
        DropRecording();
        break;
    case core::SymbolClick::Play:
        break;
    }
    // The learner repeats the symbol once: the first utterance of its sound (which says the
    // symbol twice and then an example word) is the model.
    Comparison->Cancel();
    Comparison->hide();
    PlaceComparison();
    Comparison->SetModelFile(Q(core::LessonSoundPath(state_.AppDir, k)),
                             core::VoicePart::FirstUtterance);
    // The learner's recording is scored on the symbol's own sound, where the lesson has one,
    // with the model adapted to the learner's voice where it has been.
    Comparison->SetVoiceFolder(core::LearnerVoiceFolder(state_.DataHome(), state_.LearnerName));
    Comparison->SetExpectedSymbol(QFile::exists(Q(core::LessonSoundPath(state_.AppDir, k))) ? k
                                                                                            : 0);
    try {
        sound::PlayFile(*MediaPlayer1, Q(core::LessonSoundPath(state_.AppDir, k)));
    } catch (const std::exception& e) {
        // A sound that cannot be played is reported; the lesson page still shows.
        host_.Messages().ShowError(ErrorText(e));
    }
    ShowPage(core::SymbolPage(k, data_.Caption(k), data_.Rule(k), data_.Combination(k)));
}

void TyinbiaoForm1::ShowPage(const std::string& page) {
    // The page goes where the program writes (the learner data folder when installed).
    const std::string path = core::LessonPagePath(state_.DataHome());
    const core::Status written = core::WriteLessonPage(path, page);
    if (!written) {
        host_.Messages().ShowError(ErrorText(written));
        return;
    }
    if (!YBWebBrowser1->ShowFile(Q(path))) {
        host_.Messages().ShowError(ErrorText(core::Status::File(core::Failure::Read, path)));
    }
}

void TyinbiaoForm1::SpeedButton1Click() {
    if (!recording_.Begin()) {
        return;
    }
    yinbiaoTimer1->stop();
    Comparison->Cancel();
    preparing_ = true;
    const bool started =
        sound::StartRecording(*MediaPlayer1, sound::TempWav(state_.DataHome()),
                              [this](const core::Status& failure) { Report(failure); });
    preparing_ = false;
    if (deletePending_) {
        deletePending_ = false;
        deleteLater();
    }
    if (!recording_.Starting()) {
        // The window was hidden or closed while the device was prepared.
        DropRecording();
        return;
    }
    if (!started) {
        recording_.Failed();
        return;
    }
    recording_.Started();
    yinbiaoTimer1->start();
}

void TyinbiaoForm1::yinbiaoTimer1Timer() {
    switch (recording_.Tick()) {
    case core::LessonTick::Counted:
        return;
    case core::LessonTick::Ignored:
        yinbiaoTimer1->stop();
        return;
    case core::LessonTick::Finish:
        break;
    }
    yinbiaoTimer1->stop();
    // The player's name is set to the recording file again before saving: whatever was
    // opened in between, the end of a recording writes "Temp.wav" and nothing else.
    const sound::RecordingEnd end =
        sound::FinishRecording(*MediaPlayer1, sound::TempWav(state_.DataHome()),
                               [this](const core::Status& failure) { Report(failure); });
    // Beside the playback, compared with the last symbol heard (none before the first).
    if (end.saved) {
        Comparison->CompareRecording(sound::TempWav(state_.DataHome()));
    }
}

void TyinbiaoForm1::DropRecording() {
    yinbiaoTimer1->stop();
    Comparison->Cancel();
    recording_.Reset();
    try {
        MediaPlayer1->Stop();
        MediaPlayer1->Close();
    } catch (const std::exception& e) {
        host_.Messages().ShowError(ErrorText(e));
    }
}

bool TyinbiaoForm1::event(QEvent* event) {
    // A close let in while the device is prepared must not delete the window under that
    // step's feet: the deletion follows when the step has ended.
    if (event->type() == QEvent::DeferredDelete && preparing_) {
        deletePending_ = true;
        return true;
    }
    return QWidget::event(event);
}

void TyinbiaoForm1::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Comparison->Cancel();
    if (recording_.Recording() || recording_.Starting()) {
        DropRecording();
    }
}

void TyinbiaoForm1::closeEvent(QCloseEvent* event) {
    DropRecording();
    event->accept();
}

void TyinbiaoForm1::Report(const core::Status& failure) {
    if (IsNotice(failure)) {
        host_.Messages().Inform(ErrorText(failure));
    } else {
        host_.Messages().ShowError(ErrorText(failure));
    }
}

void RegisterLessonWindow(ModeHost& host, PlayerFactory makePlayer) {
    ModeRegistration registration;
    registration.slot = ModeSlot::Phonetic;
    registration.stop = BrowseStop::IfRunning;
    registration.timer1Off = true;
    registration.closePlayer = true;
    registration.colour = StudyModeColour;
    registration.create = [&host, makePlayer](QWidget* parent) -> ModeWindow* {
        return new TyinbiaoForm1(host, makePlayer, parent);
    };
    host.RegisterMode(ModeButton::SpeedButton1, std::move(registration));
}
