#pragma once
#include "core/spelling.h"
#include "host/modewindow.h"

#include <QWidget>
#include <memory>
#include <string>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class ModeHost;
namespace core {
class StudyState;
}

/// What the spelling windows of one run share: a missing or broken praise sound is reported
/// once, not after every right answer.
struct SpellingShared {
    bool praiseFailureReported = false;
};

/// The spelling test "输入测试(&w)": the meaning (and on request the phonetic transcription) of
/// a word is shown and the word pronounced; the learner types it into Edit1. A right answer is
/// praised with a sound, whose end brings the next word; a wrong one goes to the review list,
/// its letters appear one per half second and the same word is asked again. Beside the reveal
/// the learner's own attempt stays, its differing letters marked.
class TMyWriteForm1 : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    TMyWriteForm1(ModeHost& host, std::shared_ptr<SpellingShared> shared,
                  QWidget* parent = nullptr);
    ~TMyWriteForm1() override;

    // ModeWindow
    QWidget* Widget() override;
    /// "输入测试(&w)": a new period from the first line of the list; the focus goes into Edit1.
    void Start(ModeButton button) override;
    /// The end of the praise sound starts Timer1, whose next tick shows the next word.
    void SharedSoundEnded() override;

    /// The spelling rules behind the buttons.
    const core::SpellingTest& Test() const { return test_; }

    QLabel* Label1;           ///< empty band above the answer
    QFrame* Panel1;           ///< holds Edit1 and the attempt
    QLineEdit* Edit1;         ///< the learner's answer; the reveal writes into it
    QLabel* LbAttempt;        ///< the last wrong attempt, differing letters marked
    QLabel* Label8;           ///< teal separator
    QLabel* Label2;           ///< phonetic transcription
    QFrame* Panel7;           ///< teal bar with the buttons
    QPushButton* BtNextword2; ///< "写好确认"
    QPushButton* Btnext2;     ///< "重新输入"
    QCheckBox* CheckBox2;     ///< "显示音标"
    QLabel* Label3;           ///< the meaning
    QPushButton* Formclose1;  ///< "Close"
    QTimer* Timer1;           ///< 500 ms: the reveal and the advance
    /// Stands in for the end of a praise sound that never reports it.
    QTimer* PraiseWatch;

public slots:
    /// "重新输入": prepares and shows the word at WordCursor, or reports why there is none.
    void Btnext2Click();
    /// "写好确认" (and Enter in Edit1): judges the answer.
    void BtNextword2Click();
    /// One reveal step, or the advance after a right answer.
    void Timer1Timer();
    /// "显示音标".
    void CheckBox2Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildWindow();
    void Praise();
    void ShowAttempt(const std::string& attempt);

    ModeHost& host_;
    core::StudyState& state_;
    std::shared_ptr<SpellingShared> shared_;
    core::SpellingTest test_;
    /// The answer the attempt beside the reveal belongs to.
    std::string attemptAnswer_;
};

/// Plugs the spelling window into the main window's "输入测试(&w)".
void RegisterSpellingWindow(ModeHost& host);
