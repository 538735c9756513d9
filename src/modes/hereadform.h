#pragma once
#include "core/flashcards.h"
#include "core/historyevent.h"
#include "host/modewindow.h"

#include <QWidget>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class ModeHost;
namespace core {
class Browse;
class StudyState;
} // namespace core

/// The card window: the word large, its phonetic transcription and its meaning. Flash cards
/// ("跟读速记(&S)") ask the learner to judge and grade each word on the answer panel; browsing
/// ("浏览跟读(&F)") hides the panel and shows and pronounces every entry twice, paced by the
/// main window's Timer2. The main window's Timer1 cycles the label colours in both uses.
class THeReadForm1 : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    /// browse outlives the window: its repeat count carries over from run to run.
    THeReadForm1(ModeHost& host, core::Browse& browse, QWidget* parent = nullptr);
    ~THeReadForm1() override;

    // ModeWindow
    QWidget* Widget() override;
    /// "浏览跟读(&F)" starts browsing, "跟读速记(&S)" the flash cards.
    void Start(ModeButton button) override;

    /// The own start-up of "跟读速记(&S)": a new period and the card at WordCursor.
    void StartFlashCards();
    /// The own start-up of "浏览跟读(&F)", once the content check has found something to
    /// browse: a new period, the answer panel hidden, the first tick at once.
    void StartBrowse();

    /// The sound-index value read when the current card was put up (empty: none).
    const std::string& CardSoundFile() const { return cardSoundFile_; }
    /// The flash-card rules behind the answer buttons.
    const core::FlashCards& Cards() const { return cards_; }

    QLabel* Label1;                 ///< the word
    QLabel* Label8;                 ///< separator bar
    QLabel* Label2;                 ///< phonetic transcription
    QLabel* Label9;                 ///< separator bar, shown while browsing
    QFrame* Panel7;                 ///< the answer panel
    QLabel* Label3;                 ///< the meaning
    QPushButton* Formclose1;        ///< "×"
    QPushButton* BtMyknow;          ///< "我知道"
    QPushButton* BtMyDimness;       ///< "不清楚"
    QPushButton* BtMyUnknown;       ///< "生疏词"
    QPushButton* BtNextword1;       ///< "猜对了"
    QPushButton* Btnext1;           ///< "没猜准"
    QPushButton* BtAlreadyMastery1; ///< "已掌握"
    QPushButton* BtrepeatNext1;     ///< "继续"

public slots:
    /// Puts up the card at WordCursor, or reports the empty list or the end of the period.
    void ShowCard();
    void BtMyknowClick();
    void BtMyDimnessClick();
    void BtMyUnknownClick();
    void BtrepeatNext1Click();
    void BtNextword1Click();
    void Btnext1Click();
    void BtAlreadyMastery1Click();
    /// Main window Timer1: one step of the label colour cycle.
    void Timer1Timer();
    /// Main window Timer2: one browse step.
    void BrowseTick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// Puts the answer to the card on the study history.
    void RecordAnswer(core::HistoryResult result);

    void BuildWindow();
    /// Shows the answer buttons and the meaning as the flash-card rules say.
    void ApplyView(bool withMeaning);
    void ShowFace(const core::CardFace& face);
    void SpeakWord(const std::string& text);

    ModeHost& host_;
    core::StudyState& state_;
    core::Browse& browse_;
    core::FlashCards cards_;
    std::string cardSoundFile_;
};

/// Plugs the card window into the main window's "跟读速记(&S)" and "浏览跟读(&F)".
void RegisterCardWindow(ModeHost& host);
