#pragma once
#include "core/status.h"
#include "host/modewindow.h"
#include "playerfactory.h"

#include <QWidget>
#include <string>

class ComparisonView;
class QCheckBox;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class ModeHost;
namespace core {
class RecordingCycle;
class StudyState;
struct ReciteResult;
struct TickResult;
} // namespace core
namespace sound {
class MediaPlayer;
}

/// The recording window ("录音跟读(&D)"): shows a word and pronounces it while measuring how
/// long the model pronunciation lasts, records the learner for that length plus half a
/// second into "Temp.wav", and plays the recording back. With "自动录放" the recording follows
/// the model by itself; without it the learner presses "录放". Timer1 measures, Timer2
/// records, Timer3 plays back (50 ms each), Timer4 cycles the label colours (1500 ms). While a
/// recording plays back, a strip above the control bar compares it with the model.
class TRecordForm1 : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    /// cycle outlives the window: the model length measured last carries over.
    TRecordForm1(ModeHost& host, core::RecordingCycle& cycle, const PlayerFactory& makePlayer,
                 QWidget* parent = nullptr);
    ~TRecordForm1() override;

    // ModeWindow
    QWidget* Widget() override { return this; }
    /// "录音跟读(&D)": a new fifteen-minute period (also when the window was open already).
    void Start(ModeButton button) override;

    const core::RecordingCycle& Cycle() const { return cycle_; }

    QLabel* Label1;                      ///< the word
    QLabel* Label8;                      ///< separator bar above the phonetic
    QLabel* Label2;                      ///< phonetic transcription
    QLabel* Label5;                      ///< separator bar below the phonetic
    QLabel* Label3;                      ///< the meaning
    QLabel* Image1;                      ///< the microphone, shown while recording
    QPushButton* Formclose1;             ///< "Close"
    QFrame* Panel7;                      ///< the control bar
    QLabel* Label4;                      ///< status: the counters
    QPushButton* BtRecordword2;          ///< "录放"
    QPushButton* BtwordNext1;            ///< "开始", then "继续"
    QPushButton* BtwordRecite1;          ///< "朗读"
    QCheckBox* CheckBox1;                ///< "自动录放"
    ComparisonView* Comparison;          ///< the learner's last recording against the model
    sound::MediaPlayer* MYRecordPlayer1; ///< the model sound
    sound::MediaPlayer* MYRecordPlayer2; ///< recording and playback of the learner's voice
    QTimer* Timer1;                      ///< 50 ms: measuring
    QTimer* Timer2;                      ///< 50 ms: recording
    QTimer* Timer3;                      ///< 50 ms: playback
    QTimer* Timer4;                      ///< 1500 ms: label colours

public slots:
    void BtwordNext1Click();
    void BtwordRecite1Click();
    void BtRecordword2Click();
    void Timer1Timer();
    void Timer2Timer();
    void Timer3Timer();
    void Timer4Timer();
    /// The model sound has ended: ModelSoundPlaying := 0.
    void MYRecordPlayer1Notify();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// The word the comparison's model says; its score goes to the study history.
    std::string comparedWord_;

    void BuildWindow();
    void FormShow();
    /// Shows the word "朗读" fetched and pronounces it, or reports the end of the run.
    void ShowWord(const core::ReciteResult& recite);
    void ApplyButtons();
    void ApplyTick(const core::TickResult& tick);
    /// Ends whatever runs: timers off, both players closed.
    void StopAll();
    void CloseQuietly(sound::MediaPlayer* player);
    /// Shows a sound failure: the program's plain messages as notices, the others as errors.
    void Report(const core::Status& failure);
    QString TempWav() const;
    void BeginBusy();
    /// Ends a step that let messages run; a deletion asked for meanwhile follows now.
    void EndBusy();

    ModeHost& host_;
    core::StudyState& state_;
    core::RecordingCycle& cycle_;
    /// Set while a step lets waiting messages run (pronouncing, preparing the recording), so
    /// that a click let in then does not start a second step on top of the first.
    bool busy_ = false;
    bool deletePending_ = false;
};

/// Plugs the recording window into the main window's "录音跟读(&D)". makePlayer makes its two
/// players (the real ones when empty).
void RegisterRecordWindow(ModeHost& host, PlayerFactory makePlayer = {});
