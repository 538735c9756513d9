#include "learner/wordfriend.h"

#include "host/errortext.h"
#include "host/learnerlock.h"

#include "core/clock.h"
#include "core/learnerfiles.h"
#include "core/startupmark.h"
#include "core/studystate.h"
#include "host/messageservice.h"
#include "host/uistyle.h"
#include "sound/engine.h"
#include "sound/videoplayer.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <chrono>

namespace {

const QColor Green(0, 128, 0);
const QColor Teal(0, 128, 128);

void SetColours(QWidget* widget, const QColor& text, const QColor& back = QColor()) {
    if (back.isValid()) {
        SetFieldColours(widget, text, back);
    } else {
        SetTextColour(widget, text);
    }
}

QPushButton* SignInButton(const QString& caption, int x, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(x, 354, 88, 28);
    button->setFlat(true);
    button->setAutoDefault(false);
    button->setFont(SongFont(15, true));
    SetColours(button, Green);
    button->hide();
    return button;
}

QDateTime ToDateTime(core::TimePoint when) {
    using namespace std::chrono;
    return QDateTime::fromMSecsSinceEpoch(
        duration_cast<milliseconds>(when.time_since_epoch()).count());
}

} // namespace

Twordfriend::Twordfriend(core::StudyState& state, const core::Clock& clock,
                         MessageService& messages, const SignInOptions& options, QWidget* parent,
                         LearnerLock* lock)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), state_(state), clock_(clock),
      messages_(messages), options_(options), lock_(lock) {
    setObjectName(QStringLiteral("wordfriend"));
    setWindowTitle(QStringLiteral("欢迎你来学单词"));
    resize(649, 507);
    SetColours(this, Green, Qt::black);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(119, 30, 400, 420);
    SetColours(Panel1, Green, Qt::black);

    Label1 = new QLabel(QStringLiteral("您名称是： "), Panel1);
    Label1->setGeometry(93, 312, 92, 20);
    Label1->setFont(SongFont(16, true));
    SetColours(Label1, Green);

    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(184, 309, 105, 24);
    Edit1->setFrame(false);
    Edit1->setFont(SongFont(17));
    SetColours(Edit1, Qt::blue, Teal);
    Edit1->installEventFilter(this);

    SbOpen1 = SignInButton(QStringLiteral("开始学习"), 81, Panel1);
    SbOpen1->setObjectName(QStringLiteral("SbOpen1"));
    SBfriend = SignInButton(QStringLiteral("新朋友请"), 174, Panel1);
    SBfriend->setObjectName(QStringLiteral("SBfriend"));
    SBclose = SignInButton(QStringLiteral("再  见 !"), 268, Panel1);
    SBclose->setObjectName(QStringLiteral("SBclose"));

    Label2 = new QLabel(Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(0, 396, 400, 24);
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setFont(SongFont(16));
    SetColours(Label2, Green, Qt::black);

    LabAdvert = new QLabel(
        QStringLiteral(
            "使用注意事项：要大声跟读,要让鼠标点击真实反映判断,不要停滞不前,不要做笔记等，"
            "不要一心两用，要坚持每天学习两次。不达目的不罢休。 "),
        this);
    LabAdvert->setObjectName(QStringLiteral("LabAdvert"));
    LabAdvert->resize(549, 50);
    LabAdvert->setWordWrap(true);
    LabAdvert->setFont(SongFont(15));
    SetColours(LabAdvert, QColor(0, 102, 102));

    connect(SbOpen1, &QPushButton::clicked, this, &Twordfriend::SbOpen1Click);
    connect(SBfriend, &QPushButton::clicked, this, &Twordfriend::SBfriendClick);
    connect(SBclose, &QPushButton::clicked, this, &Twordfriend::SBcloseClick);
}

void Twordfriend::OpenVideo() {
    // The video is shown in the upper part of Panel1, above the name field. Its player and
    // view take longer to make than the whole window (the sound engine is loaded for them,
    // and the media framework and a video surface come up with them), so they are made right
    // after the window's first frame rather than before it: the learner sees the window at
    // once and the video a moment later.
    const QFileInfo video(options_.videoFile);
    if (options_.playVideo && video.isFile() && isVisible() && MyPlayer1 == nullptr) {
        if (sound::Engine* engine = sound::LoadEngine()) {
            MyPlayer1 = engine->MakeVideoPlayer(Panel1, this);
            VideoView = MyPlayer1->View();
            VideoView->setGeometry(0, 0, 400, 300);
            VideoView->show();
            connect(MyPlayer1, &sound::VideoPlayer::Ended, this, &Twordfriend::MyPlayer1Notify);
        }
    }
    // Without a playable video the controls appear at once, so that the learner is never
    // locked out of signing in. A video that has not started within the time limit counts as
    // one that cannot be played.
    if (MyPlayer1 == nullptr) {
        MyPlayer1Notify();
        return;
    }
    MyPlayer1->Play(video.absoluteFilePath());
    startWatch_ = new QTimer(this);
    startWatch_->setSingleShot(true);
    connect(startWatch_, &QTimer::timeout, this, [this] {
        if (!MyPlayer1->Started()) {
            MyPlayer1Notify();
        }
    });
    startWatch_->start(options_.startTimeoutMs);
}

Twordfriend::~Twordfriend() {
    if (MyPlayer1 != nullptr) {
        MyPlayer1->Stop();
    }
}

QString Twordfriend::DateTimeLine(const QDateTime& when) {
    // The long date of a Chinese desktop, the abbreviated weekday, and the 12-hour time
    // with "AM"/"PM" written as such.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    return QStringLiteral(" 日期/时间：") +
           chinese.toString(when.date(), QStringLiteral("yyyy年M月d日")) + QStringLiteral(",  ") +
           chinese.dayName(when.date().dayOfWeek(), QLocale::ShortFormat) + QStringLiteral(",  ") +
           QLocale::c().toString(when.time(), QStringLiteral("hh:mm AP"));
}

void Twordfriend::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void Twordfriend::FormShow() {
    Edit1->setReadOnly(true);
    // Without a video to wait for, the controls are there in the first frame.
    if (!options_.playVideo || !QFileInfo(options_.videoFile).isFile()) {
        MyPlayer1Notify();
    }
}

void Twordfriend::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (!firstFrame_) {
        firstFrame_ = true;
        // Queued: the frame reaches the screen when this paint returns.
        QTimer::singleShot(0, this, [this] {
            core::StartupMark("first frame");
            OpenVideo();
            core::StartupMark("video");
            emit FirstFrameShown();
        });
    }
}

void Twordfriend::MyPlayer1Notify() {
    if (ready_) {
        return;
    }
    ready_ = true;
    SbOpen1->show();
    SBfriend->show();
    SBclose->show();
    Edit1->setReadOnly(false);
    Edit1->setFocus();
    Label2->setText(DateTimeLine(ToDateTime(clock_.Now())));
}

bool Twordfriend::TakeName() {
    const QString typed = Edit1->text();
    state_.LearnerName = typed.toStdString();
    if (typed.isEmpty()) {
        return false;
    }
    // The name becomes a folder and file names below the program folder: a name that cannot
    // be one is refused before anything is looked up or created.
    const core::Status check = core::CheckLearnerName(state_.LearnerName);
    if (!check) {
        state_.LearnerName.clear();
        messages_.Inform(QStringLiteral("这个名字不能用作学员名字：\r\n\r\n    ") +
                         ErrorText(check) + QStringLiteral("\r\n\r\n    请另起一个名字！"));
        return false;
    }
    return true;
}

bool Twordfriend::TakeLock() {
    if (lock_ == nullptr) {
        return true;
    }
    QString folder =
        QString::fromStdString(core::LearnerFolderPath(state_.DataHome(), state_.LearnerName));
    folder.chop(1); // the trailing "/"
    // A folder where no lock can be made (read-only) does not keep the learner out: saving
    // there is reported when it fails.
    if (lock_->Take(folder) != LearnerLock::Outcome::HeldElsewhere) {
        return true;
    }
    messages_.Inform(QStringLiteral("学员“%1”已经在另一个朗记通窗口中学习。\r\n\r\n    "
                                    "同一个学员只能在一个窗口中学习，\r\n    "
                                    "请先关闭那个窗口，再登录。")
                         .arg(QString::fromStdString(state_.LearnerName)));
    state_.LearnerName.clear();
    return false;
}

void Twordfriend::SbOpen1Click() {
    if (!TakeName()) {
        return;
    }
    if (core::LearnerKnown(state_.DataHome(), state_.LearnerName)) {
        if (!TakeLock()) {
            return;
        }
        state_.ReturningLearner = 1;
        signedIn_ = true;
        accept();
        return;
    }
    messages_.Inform(QStringLiteral("欢迎您和我学英语，\r\n\r\n    在我的印象中没有见过您的名字。 "
                                    "\r\n\r\n    做个新朋友吧！"));
}

void Twordfriend::SBfriendClick() {
    if (!TakeName()) {
        return;
    }
    if (core::LearnerKnown(state_.DataHome(), state_.LearnerName)) {
        messages_.Inform(
            QStringLiteral("您和我的老朋友同名。\r\n\r\n    这样不行，你得另起一个名字!  "
                           "\r\n\r\n    谢谢！"));
        return;
    }
    const core::Status created = core::CreateLearnerFiles(state_.DataHome(), state_.LearnerName);
    if (!created) {
        messages_.ShowError(ErrorText(created));
        return;
    }
    if (!TakeLock()) {
        return;
    }
    signedIn_ = true;
    accept();
}

void Twordfriend::SBcloseClick() {
    state_.LearnerName.clear();
    done(QDialog::Rejected);
}

void Twordfriend::reject() {
    // Closing the window any other way than by signing in leaves nobody signed in, so that
    // a name refused a moment ago is never taken for a learner.
    if (!signedIn_) {
        state_.LearnerName.clear();
    }
    QDialog::reject();
}

void Twordfriend::keyPressEvent(QKeyEvent* event) {
    // The window has no cancel button: Esc does nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Twordfriend::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (!Edit1->isReadOnly()) {
                SbOpen1Click();
            }
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Twordfriend::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    FormResize();
}

void Twordfriend::FormResize() {
    // The window is maximised, so its own size is the screen's working area; using it keeps
    // the advice line visible above a task bar.
    const int w = width();
    const int h = height();
    Panel1->move((w - Panel1->width()) / 2 - 5, Panel1->y());
    LabAdvert->move((w - LabAdvert->width()) / 2 - 10, h - LabAdvert->height() - 10);
}
