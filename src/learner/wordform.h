#pragma once
#include "core/status.h"

#include <QWidget>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class MessageService;
class WordListModel;
namespace core {
class StudyState;
}

/// The study-content window "学习内容设置": its three combo boxes show the learner's lists,
/// its radio buttons choose what the modes study (ContentKind). A window of its own, shown
/// and hidden, alive for the whole run.
class TWordForm1 : public QWidget {
    Q_OBJECT
public:
    TWordForm1(core::StudyState& state, MessageService& messages, QWidget* parent = nullptr);
    ~TWordForm1() override;

    /// LoadLearnerLists: reads the three lists, writes the statistics, selects line 0.
    /// A failed load is reported (naming the file) and returns false.
    bool MYSBt1Click();
    /// SaveLearnerLists: the changed lists as one unit. A list whose file could not be read
    /// is never replaced by what memory holds (the core keeps to that).
    core::Status MYSaveClick();

    QFrame* Panel1;
    QLabel* Label1; ///< the summary line
    QFrame* Bevel1;
    QLabel* Label9;
    QComboBox* TcNewLearnlist;
    QLabel* Label10;
    QComboBox* Tcalreadymastery1;
    QLabel* Label11;
    QComboBox* TcreviewCount1;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;  ///< "学习新词": ContentKind 1
    QRadioButton* RadioButton2;  ///< "巩固学习": ContentKind 2
    QRadioButton* RadioButton3;  ///< "复习单词": ContentKind 3
    QPushButton* Btlookwordlist; ///< "确认选项"
    QPushButton* SpeedButton1;   ///< "关闭返回"

    /// Selects line 0 in each list (after the lists were read anew).
    void SelectFirstLines();
    /// Checks the radio button of the kind ContentKind names (none for nothing to study), so
    /// that the window shows what the modes study after a mode changed it.
    void FollowContentKind();

public slots:
    /// "确认选项": ContentKind from the selected radio button, then the window hides.
    void BtlookwordlistClick();
    /// "关闭返回": the window hides; ContentKind stays.
    void SpeedButton1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    core::StudyState& state_;
    MessageService& messages_;
    WordListModel* newModel_;
    WordListModel* masteredModel_;
    WordListModel* reviewModel_;
};
