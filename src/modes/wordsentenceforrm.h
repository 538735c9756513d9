#pragma once
#include "modes/wselect.h"

#include "core/lookup.h"
#include "core/status.h"
#include "host/modewindow.h"

#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class HtmlView;
class LookupSession;
class ModeHost;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSplitter;
class QTextEdit;
class QToolButton;
namespace core {
class StudyState;
}
namespace sound {
class UiWorker;
}

/// The lookup window "词句对照": a word (English or Chinese) looked up in every word bank at
/// once, with example sentences from the corpus. The learner types the word, or steps through
/// the current study list. The bank hits are written as the page "1.htm" (and "2.htm", the
/// page at the first hit) and shown in the HTML view; the sentences go into RichEdit2.
///
/// Each search is a WSelect request running on the window's lookup worker. Requests are
/// serialised: a request made while one runs cancels that one and waits its turn, and a newer
/// request replaces a waiting one, so that the learner's latest request is always the one
/// shown, and the sentences shown always belong to the page shown. Only this (the interface)
/// thread writes the pages and the controls. Closing the window cancels the running request
/// and waits for the worker.
class TWordSentenceForrm : public QWidget, public ModeWindow {
    Q_OBJECT
public:
    explicit TWordSentenceForrm(ModeHost& host, QWidget* parent = nullptr);
    ~TWordSentenceForrm() override;

    // ModeWindow
    QWidget* Widget() override;
    /// "词句查看(&T)": the showing's start-up (FormShow), once per window.
    void Start(ModeButton button) override;

    /// The copy of the study list taken when the window was shown.
    const std::vector<std::string>& StudyWords() const { return studyWords_; }
    /// The position in StudyWords of the word being browsed.
    int StudyIndex() const { return studyIndex_; }
    /// True while a search runs or waits to run.
    bool SearchBusy() const;
    /// The close words offered after the last search (empty when none).
    const std::vector<std::string>& CloseWords() const { return closeWords_; }

    QFrame* Panel4;                          ///< top band: Label1 and Edit1
    QLabel* Label1;                          ///< "输入："
    QLineEdit* Edit1;                        ///< the query
    QFrame* PanelCloseWords;                 ///< close words offered when a word is in no bank
    QLabel* LabelCloseWords;                 ///< "您要找的是不是："
    std::array<QPushButton*, 5> BtCloseWord; ///< the close words, each runs its search
    QSplitter* Splitter3;                    ///< between the view and the sentences
    HtmlView* WebBrowser1;                   ///< the result pages
    QTextEdit* RichEdit2;                    ///< the example sentences
    QFrame* Panel3;                          ///< bottom band
    QPushButton* SpeedButton2;               ///< "按学习词语内容浏览上一词语"
    QPushButton* SpeedButton3;               ///< "按学习词语内容浏览下一词语"
    QPushButton* BiInput1;                   ///< "输入查看"
    QToolButton* BtAddNewWord; ///< "加入生词本": the first hit; its menu offers every hit
    QPushButton* BtcloseForm1; ///< "返回"

signals:
    /// A search's result was put on screen (pages, Edit1, RichEdit2).
    void SearchShown();

public slots:
    void FormShow();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void BiInput1Click();
    /// Adds the bank entry of hit k of the page shown to the new-word list.
    void AddHitToNewWords(int k);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Request {
        std::string query;
        core::BankMatch match = core::BankMatch::WholeWord;
        bool show = true; ///< false: only reads and indexes the texts ahead of the first search
    };

    void BuildWindow();
    void ShowStudyWord();
    /// StartSearch: runs now, or after the running search, replacing any waiting one.
    void StartSearch(const Request& request);
    void Launch(const Request& request);
    void SearchFinished();
    void ShowResult(WSelect::Result& result);
    /// Writes a page; reports a file that cannot be written once per showing.
    bool WritePage(const std::string& name, const std::string& text);
    void ReportOnce(const core::Status& status);
    /// Cancels the running search, drops the waiting one and waits for the worker.
    void StopSearches();

    ModeHost& host_;
    core::StudyState& state_;
    bool started_ = false;
    std::vector<std::string> studyWords_;
    int studyIndex_ = 0;
    std::shared_ptr<LookupSession> session_;
    std::unique_ptr<sound::UiWorker> searches_; ///< runs the searches; made by the first one
    WSelect* running_ = nullptr;
    bool runningShows_ = true; ///< the running search's result is to be shown
    std::optional<Request> waiting_;
    std::vector<core::BankHit> hits_;     ///< the hits of the page shown
    std::vector<std::string> closeWords_; ///< the close words shown
    std::set<std::string> reported_;      ///< files reported unreadable in this showing
    QMenu* addMenu_ = nullptr;
};

/// Plugs the lookup window into the main window's button "词句查看(&T)".
void RegisterLookupWindow(ModeHost& host);
