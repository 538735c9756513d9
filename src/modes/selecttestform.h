#pragma once
#include "choicemarkers.h"
#include "core/choicetest.h"
#include "host/modewindow.h"

#include <QWidget>
#include <array>
#include <memory>

class QFrame;
class QLabel;
class QPushButton;
class ModeHost;

/// The multiple-choice test "选择测试(&C)": a word with four meanings in one of two panels; the
/// learner clicks the meaning that belongs to it (or the marker beside it). A wrong click is
/// counted and puts the word on the review list; the right one moves the word on in the lists
/// and asks the next word in the other panel, so the question just answered stays in view.
class TSelectTestForm1 : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    TSelectTestForm1(ModeHost& host, std::shared_ptr<const ChoiceMarkers> markers,
                     QWidget* parent = nullptr);
    ~TSelectTestForm1() override;

    // ModeWindow
    QWidget* Widget() override;
    /// The first showing starts the test (FormShow); pressing the button again while the
    /// window is open leaves the running test as it is.
    void Start(ModeButton button) override;

    /// The rules behind the rows.
    const core::ChoiceTest& Test() const { return test_; }
    /// The marker pictures (shared by the test windows of one run).
    const ChoiceMarkers& Markers() const { return *markers_; }

    QFrame* Panel1;                       ///< the strip at the left with the marker buttons
    QFrame* Panel5;                       ///< holds the marker buttons, at the bottom of Panel1
    QFrame* Panel2;                       ///< the rest of the window
    QFrame* Panel3;                       ///< the upper question panel
    QFrame* Panel4;                       ///< the lower question panel
    QFrame* Panel6;                       ///< the counters at the bottom
    QPushButton* Formclose1;              ///< "close"
    QLabel* Label9;                       ///< "测试内容来自您选择的学习内容"
    QLabel* Label13;                      ///< the warning about wrong choices
    QLabel* MYwordLabelA;                 ///< the word of the upper panel
    QLabel* MYwordLabelB;                 ///< the word of the lower panel
    QLabel* Label12;                      ///< rule under MYwordLabelA
    QLabel* Label11;                      ///< rule under MYwordLabelB
    QLabel* Label14;                      ///< "测试单词共：N个"
    QLabel* Label15;                      ///< "正确选择：N个"
    QLabel* Label16;                      ///< "点击错误：N个"
    std::array<QLabel*, 8> MYwordLabel{}; ///< MYwordLabel1..MYwordLabel8, the answer rows
    std::array<QPushButton*, 8> SBT{};    ///< SBT1..SBT8, the marker beside each row
    std::array<QLabel*, 9> Spacers{};     ///< Label1..Label8 and Label10

public slots:
    /// A click on answer row k (0..7), or on the marker beside it.
    void MYwordLabelClick(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildWindow();
    QFrame* BuildPanel(int first, QLabel*& word, QLabel*& rule, const QColor& colour);
    void ShowPanel(core::ChoicePanel panel);
    void ShowCounters();
    void SetMarker(int row, core::ChoiceMarker marker);
    /// Keeps each marker button level with its row.
    void PlaceMarkers();
    void Hover(QLabel* row, bool on);

    ModeHost& host_;
    std::shared_ptr<const ChoiceMarkers> markers_;
    core::ChoiceTest test_;
    bool started_ = false;
};

/// Plugs the choice-test window into the main window's "选择测试(&C)".
void RegisterChoiceTestWindow(ModeHost& host);
