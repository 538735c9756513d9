#pragma once
#include "core/lessonpage.h"
#include "core/lessonrecording.h"
#include "core/status.h"
#include "host/modewindow.h"
#include "playerfactory.h"

#include <QList>
#include <QWidget>

class ComparisonView;
class QFrame;
class QPushButton;
class QTimer;
class HtmlView;
class ModeHost;
namespace core {
class StudyState;
}
namespace sound {
class MediaPlayer;
}

/// The phonetic-symbol lessons ("音标学习(&P)"): 48 symbol buttons above a page. Opening
/// shows the overview of the six symbol groups; a symbol plays its model sound and shows its
/// lesson (symbol and category, pronunciation rule, letter combinations). The record button
/// records about 0.8 s of the learner's voice and plays it straight back; a strip below the
/// panel then compares it with the last symbol heard.
class TyinbiaoForm1 : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    TyinbiaoForm1(ModeHost& host, const PlayerFactory& makePlayer, QWidget* parent = nullptr);
    ~TyinbiaoForm1() override;

    // ModeWindow
    QWidget* Widget() override { return this; }
    /// Nothing beyond showing: the window sets itself up when it is first shown.
    void Start(ModeButton /*button*/) override {}

    /// The symbol button with Tag k (1..48); null before the window was first shown.
    QPushButton* SymbolButton(int k) const;
    const core::LessonRecording& Recording() const { return recording_; }

    QFrame* yinbaioPanel1;            ///< the centred panel that holds everything
    QPushButton* SpeedButton1;        ///< record
    QPushButton* closefrom1;          ///< "bye-bye"
    HtmlView* YBWebBrowser1;          ///< the lesson page
    sound::MediaPlayer* MediaPlayer1; ///< symbol sounds, recording and playback
    QTimer* yinbiaoTimer1;            ///< 10 ms: counts and ends a recording
    ComparisonView* Comparison;       ///< the learner's last recording against the symbol

public slots:
    /// A symbol button: plays its sound and shows its lesson.
    void MyClick();
    void SpeedButton1Click();
    void yinbiaoTimer1Timer();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildWindow();
    void FormShow();
    void MakeSymbolButtons();
    /// Plays symbol k and shows its page.
    void ShowSymbol(int k);
    /// Writes page to "3.htm" and shows that file.
    void ShowPage(const std::string& page);
    /// Ends a recording without saving it and closes the player.
    void DropRecording();
    /// Shows a sound failure: the program's plain messages as notices, the others as errors.
    void Report(const core::Status& failure);
    /// Puts the comparison strip under the panel (or above it when there is no room below).
    void PlaceComparison();

    ModeHost& host_;
    core::StudyState& state_;
    core::LessonData data_;
    core::LessonRecording recording_;
    QList<QPushButton*> symbols_;
    bool shownOnce_ = false;
    /// Set while the record button prepares the device (it lets waiting messages run).
    bool preparing_ = false;
    bool deletePending_ = false;
};

/// Plugs the lesson window into the main window's "音标学习(&P)". makePlayer makes its player
/// (the real one when empty).
void RegisterLessonWindow(ModeHost& host, PlayerFactory makePlayer = {});
