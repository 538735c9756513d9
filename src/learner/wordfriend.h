#pragma once
#include "learner/signinoptions.h"

#include <QDateTime>
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class LearnerLock;
class MessageService;
namespace sound {
class VideoPlayer;
}
namespace core {
class Clock;
class StudyState;
} // namespace core

/// The sign-in window "欢迎你来学单词": plays the welcome video, then lets the learner sign
/// in by name, start as a new learner or leave. Its results are the state's LearnerName
/// (empty: nobody) and ReturningLearner. With a lock, a learner signed in with another running
/// copy of the program is refused, so that two copies never save over each other.
class Twordfriend : public QDialog {
    Q_OBJECT
public:
    Twordfriend(core::StudyState& state, const core::Clock& clock, MessageService& messages,
                const SignInOptions& options, QWidget* parent = nullptr,
                LearnerLock* lock = nullptr);
    ~Twordfriend() override;

    /// The date and time line: " 日期/时间：" + long date + ",  " + weekday + ",  " + hh:mm AM/PM.
    static QString DateTimeLine(const QDateTime& when);

    QWidget* Panel1;
    sound::VideoPlayer* MyPlayer1 = nullptr; ///< null when the video is not played
    QWidget* VideoView = nullptr;            ///< the video player's view
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* SbOpen1;  ///< "开始学习"
    QPushButton* SBfriend; ///< "新朋友请"
    QPushButton* SBclose;  ///< "再  见 !"
    QLabel* Label2;        ///< the date and time
    QLabel* LabAdvert;

    /// True once the controls are shown (the video has ended or could not play).
    bool Ready() const { return ready_; }
    /// True once the first frame of the window has been drawn.
    bool FirstFrameDrawn() const { return firstFrame_; }

signals:
    /// The first frame of the window has been drawn: what it did not need (the video, the
    /// speech engine) can come up now.
    void FirstFrameShown();

public slots:
    void SbOpen1Click();
    void SBfriendClick();
    void SBcloseClick();
    /// The end of the video: the controls appear and the name field becomes writable.
    void MyPlayer1Notify();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    void FormShow();
    /// Opens the welcome video and plays it; runs right after the first frame.
    void OpenVideo();
    void FormResize();
    /// Takes the typed name as LearnerName; false (and a message) when it cannot be a name.
    bool TakeName();
    /// Locks the learner's folder; false (and a message, nobody signed in) when another copy
    /// of the program has the learner signed in.
    bool TakeLock();

    core::StudyState& state_;
    const core::Clock& clock_;
    MessageService& messages_;
    SignInOptions options_;
    LearnerLock* lock_;
    QTimer* startWatch_ = nullptr;
    bool shown_ = false;
    bool firstFrame_ = false;
    bool ready_ = false;
    bool signedIn_ = false;
};
