#pragma once
#include "app/shellservices.h"
#include "core/status.h"
#include "host/learnerlock.h"
#include "host/modehost.h"
#include "host/modeswitcher.h"
#include "host/pronouncer.h"

#include "core/studystate.h"

#include <QWidget>
#include <cstdint>
#include <map>
#include <memory>

class QFrame;
class QLabel;
class QPushButton;
class QSplitter;
class KnobImage;
class StudyHistory;
class TWordForm1;
class TWordstoreroom1;
namespace core {
enum class StatText;
}

/// The main window "朗记通": banner, mode buttons with the volume control, statistics line
/// and the client panel Panel1 that shows one mode window at a time. Runs the start-up
/// (sign-in, loading the lists, the first mode), the mode-window protocol, and saves the
/// lists when it closes.
class TWordmemory : public QWidget, public ModeHost {
    Q_OBJECT
public:
    /// Creating the window is FormCreate: the speech object gets its normal speed.
    explicit TWordmemory(ShellServices services, QWidget* parent = nullptr);
    ~TWordmemory() override;

    // ModeHost
    core::StudyState& State() override { return state_; }
    const core::Clock& Clock() const override { return clock_; }
    MessageService& Messages() override { return messages_; }
    QTimer* Timer1() const override { return timer1_; }
    QTimer* Timer2() const override { return timer2_; }
    QTimer* Timer3() const override { return timer3_; }
    sound::MediaPlayer* MediaPlayer1() const override { return mediaPlayer_; }
    QLabel* Lbtimecount() const override { return lbtimecount_; }
    QLabel* Label4() const override { return label4_; }
    QLabel* LBalreadymastery() const override { return lbalreadymastery_; }
    QWidget* Panel1() const override { return panel1_; }
    void StudyContentChanged() override;
    QColor Colour() const override { return colour_; }
    void SetColour(const QColor& colour) override;
    void StopBrowse(bool timer1Off, bool closePlayer) override;
    void OpenModeWindow(ModeButton button) override;
    QWidget* SlotWindow(ModeSlot slot) const override;
    void RegisterMode(ModeButton button, ModeRegistration registration) override;
    void SpeakText(const QString& text) override;
    void SetSpeechSpeed(int speed) override { pronouncer_->SetSpeechSpeed(speed); }
    sound::Pronunciation Pronounce(sound::PronounceVariant variant, const std::string& word,
                                   const PronounceOptions& options = {}) override;
    void ReportSoundFailure(const core::Status& failure) override;
    void ShowStudyTime(const QString& prefix, const std::string& timeText) override;
    core::RandomSource& Random() override { return *random_; }
    void RecordStudy(const core::HistoryEvent& event) override;
    std::string HistoryPath() const override;
    /// The signed-in learner's study history.
    StudyHistory& History() const { return *history_; }

    /// The study-content window: home of the three lists' combo boxes and radio buttons.
    TWordForm1* WordForm1() const { return wordForm1_.get(); }
    /// The mode buttons' registrations and the mode windows.
    ModeSwitcher& Switcher() const { return *switcher_; }
    /// The mode button that runs a protocol.
    QPushButton* Button(ModeButton button) const;
    /// The word-bank window once created, else null.
    TWordstoreroom1* Wordstoreroom1() const;

    /// The output volume value as last set (left channel low 16 bits, right high).
    std::uint32_t Volume() const;
    /// The speech speed as last set.
    int SpeechSpeed() const override { return pronouncer_->SpeechSpeed(); }
    /// A knob's offset on the frame (its left edge minus the frame's).
    int KnobOffset(const QWidget* knob) const;
    /// True once FormShow has run.
    bool Started() const { return started_; }
    /// The periodic save's timer (single shot, started by the first change not yet saved).
    QTimer* AutosaveTimer() const { return autosave_; }
    /// The lock on the signed-in learner's folder.
    const LearnerLock& Lock() const { return learnerLock_; }

    /// How a save outside the close reports a failure.
    enum class SaveReport {
        Quiet,  ///< not at all: the caller does
        Always, ///< an error box every time
        Once,   ///< an error box for the first of a row of failures (the periodic save)
    };
    /// Saves the lists that changed (SaveLearnerLists); the window stays as it is.
    core::Status SaveLists(SaveReport report);

    // Controls, named as the window defines them.
    QFrame* Panel6 = nullptr;
    QLabel* Label5 = nullptr;
    QPushButton* Formclose1 = nullptr; ///< "×"
    QFrame* Panel3 = nullptr;
    QFrame* Shape1 = nullptr;
    QPushButton* Btfollow = nullptr;
    QPushButton* btrecordword = nullptr;
    QPushButton* lookword = nullptr;
    QPushButton* closelookword = nullptr;
    QPushButton* SpeedButton9 = nullptr;
    QPushButton* BtSelectTest1 = nullptr;
    QPushButton* SpeedButton12 = nullptr;
    QPushButton* SpeedButton13 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    QPushButton* SpeedButton14 = nullptr; ///< "学习统计(&J)"
    QPushButton* SpeedButton11 = nullptr; ///< "声音还原(&V)"
    QPushButton* Bthelp = nullptr;        ///< "帮助(&H)": version, licences, folders and keys
    KnobImage* Image1 = nullptr;          ///< the frame
    KnobImage* Image2 = nullptr;          ///< the volume knob
    KnobImage* Image3 = nullptr;          ///< the speech-speed knob
    QFrame* Panel4 = nullptr;
    QLabel* LBnewword = nullptr;
    QLabel* LbreviewCount = nullptr;
    QLabel* LBzhongCount = nullptr;
    QLabel* Label1 = nullptr; ///< "请选择您需要的学习方式。"

public slots:
    /// The start-up: banner, program-wide values, sign-in, lists, first mode, volume control.
    /// Runs once, queued by the first showing of the window.
    void FormShow();
    /// "声音还原(&V)": volume knob to 100 and the restore volume, speed knob to 60 and speed 150.
    void SpeedButton11Click();
    /// The shared player reports the end of a play.
    void MediaPlayer1Notify();
    /// Timer3: the end-of-speech watch.
    void SpeechWatch();
    /// A knob or the frame is dropped on the frame at horizontal offset x.
    void Image1DragDrop(QObject* source, int x);
    /// A drag of a knob has ended, dropped or not: the value follows the knob's place.
    void ImageEndDrag(QObject* source);
    /// The periodic save, invisible unless it fails.
    void AutosaveTimeout();
    /// "帮助(&H)" and F1: the version, licences, folders and keys.
    void BthelpClick();
    /// A word file named on the command line: once the learner has signed in, asks whether
    /// to make it a new word bank and does so in the word-bank window.
    void OfferImport(const QString& path);

signals:
    /// The window has closed (the program ends).
    void FormClosed();
    /// The lists were saved (or had nothing to save) by a save that succeeded.
    void ListsSaved();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Saves the lists through the study-content window; ok when there is nothing to save.
    core::Status SavedLists();
    /// Makes the bands, the buttons, the labels and the study-content window (once).
    void BuildContent();
    void BuildWindow();
    /// The two buttons of the learner's own windows: word banks and study content.
    void RegisterLearnerWindows();
    /// Top band: banner and the "×".
    void BuildBanner();
    /// Left column: the mode buttons in their frame and the volume control.
    void BuildModeColumn();
    /// The client panel Panel1 with its greeting.
    void BuildClientPanel();
    /// Bottom band: the statistics line.
    void BuildStatistics();
    void ShowText(core::StatText which, const std::string& text);
    /// A word moved between the lists: its history event, with the list sizes afterwards.
    void RecordMove(const std::string& entry, core::StudyState::Holder from,
                    core::StudyState::Holder to);
    void SetKnobOffset(QWidget* knob, int offset);
    void SetOutputVolume(std::uint32_t volume);
    void LoadVolumeControl();
    /// Runs afterFirstFrame once and shows its failure.
    void AfterFirstFrame();

    core::StudyState& state_;
    const core::Clock& clock_;
    MessageService& messages_;
    core::Speech* voice_;
    sound::MediaPlayer* mediaPlayer_;
    QString appDir_;
    QString learnerDir_;
    std::function<std::uint32_t()> readVolume_;
    std::function<void(std::uint32_t)> writeVolume_;
    SignInOptions signIn_;
    std::function<core::Status()> afterFirstFrame_;
    bool startUpOnShow_;

    QTimer* timer1_;
    QTimer* timer2_;
    QTimer* timer3_;
    QTimer* autosave_;
    StudyHistory* history_ = nullptr;
    bool autosaveReported_ = false;
    LearnerLock learnerLock_;
    QLabel* label4_ = nullptr;
    QLabel* lbtimecount_ = nullptr;
    QLabel* lbalreadymastery_ = nullptr;
    QWidget* panel1_ = nullptr;
    QSplitter* bands_ = nullptr;
    QSplitter* middle_ = nullptr;
    std::unique_ptr<TWordForm1> wordForm1_;
    std::map<ModeButton, QPushButton*> buttons_;
    std::unique_ptr<Pronouncer> pronouncer_;
    std::unique_ptr<ModeSwitcher> switcher_;
    /// The injected random source, or ownRandom_ when none was given.
    std::unique_ptr<core::RandomSource> ownRandom_;
    core::RandomSource* random_ = nullptr;
    QColor colour_;
    std::uint32_t volume_ = 0xFFFFFFFFu;
    QString pendingImport_; ///< the file OfferImport got before the start-up ended
    bool formShowQueued_ = false;
    bool started_ = false;
    bool contentBuilt_ = false;
};
