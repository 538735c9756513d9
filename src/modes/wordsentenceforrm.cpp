#include "wordsentenceforrm.h"

#include "lookupsession.h"

#include "core/lookuppage.h"
#include "core/studystate.h"
#include "core/wordentry.h"
#include "host/errortext.h"
#include "host/htmlview.h"
#include "host/messageservice.h"
#include "host/modehost.h"
#include "host/uistyle.h"
#include "sound/uiworker.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QColor Teal(0, 128, 128);
const QColor FieldBack(0xFF, 0xFA, 0xD9);
const QString MixedQuery = QStringLiteral("没有中英文混合的词语。请使用纯中文或纯英文词语！");
const QString AlreadyInNewWords = QStringLiteral("生词本里已经有这个词语了。");
const QString AlreadyMastered = QStringLiteral("这个词语您已经掌握了，不用再加入生词本。");
const QString AlreadyInReview = QStringLiteral("这个词语已在您需要复习的单词中。");
const QString AddCaption = QStringLiteral("加入生词本");
const QString AddedCaption = QStringLiteral("已加入生词本");

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TWordSentenceForrm::TWordSentenceForrm(ModeHost& host, QWidget* parent)
    : QWidget(parent), host_(host), state_(host.State()) {
    setObjectName(QStringLiteral("WordSentenceForrm"));
    setWindowTitle(QStringLiteral("词句对照"));
    BuildWindow();
}

TWordSentenceForrm::~TWordSentenceForrm() {
    StopSearches();
}

QWidget* TWordSentenceForrm::Widget() {
    return this;
}

void TWordSentenceForrm::BuildWindow() {
    SetBackground(this, Teal);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    Panel4 = new QFrame(this);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedHeight(43);
    Label1 = new QLabel(QStringLiteral("输入："), Panel4);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(SongFont(13));
    SetTextColour(Label1, Qt::white);
    Label1->setGeometry(12, 13, 48, 18);
    Edit1 = new QLineEdit(Panel4);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("输入："));
    Edit1->setFont(NamedFont(QStringLiteral("Times New Roman"), 16));
    SetFieldColours(Edit1, Qt::black, FieldBack);
    Edit1->setGeometry(60, 8, 300, 27);
    Label1->setBuddy(Edit1);
    Edit1->installEventFilter(this);
    Panel4->installEventFilter(this); // Edit1 follows Panel4's width
    column->addWidget(Panel4);

    PanelCloseWords = new QFrame(this);
    PanelCloseWords->setObjectName(QStringLiteral("PanelCloseWords"));
    auto* closeRow = new QHBoxLayout(PanelCloseWords);
    closeRow->setContentsMargins(12, 2, 12, 4);
    LabelCloseWords = new QLabel(QStringLiteral("您要找的是不是："), PanelCloseWords);
    LabelCloseWords->setObjectName(QStringLiteral("LabelCloseWords"));
    LabelCloseWords->setFont(SongFont(13));
    SetTextColour(LabelCloseWords, Qt::white);
    closeRow->addWidget(LabelCloseWords);
    for (std::size_t k = 0; k < BtCloseWord.size(); ++k) {
        auto* button = new QPushButton(PanelCloseWords);
        button->setObjectName(QStringLiteral("BtCloseWord%1").arg(k + 1));
        button->setFont(NamedFont(QStringLiteral("Times New Roman"), 15));
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        SetFieldColours(button, Qt::yellow, Teal);
        connect(button, &QPushButton::clicked, this, [this, button] {
            const std::string word = button->text().toStdString();
            Edit1->setText(button->text());
            StartSearch({word, core::BankMatch::WholeWord, true});
        });
        BtCloseWord[k] = button;
        closeRow->addWidget(button);
    }
    closeRow->addStretch(1);
    PanelCloseWords->hide();
    column->addWidget(PanelCloseWords);

    Splitter3 = new QSplitter(Qt::Horizontal, this);
    Splitter3->setObjectName(QStringLiteral("Splitter3"));
    Splitter3->setHandleWidth(6);
    Splitter3->setChildrenCollapsible(false);
    Splitter3->setStyleSheet(
        QStringLiteral("QSplitter::handle { background: #008080; border: 1px outset #40a0a0; }"));
    WebBrowser1 = new HtmlView(Splitter3);
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setAccessibleName(QStringLiteral("单词的来源和内容"));
    WebBrowser1->setMinimumWidth(120);
    RichEdit2 = new QTextEdit(Splitter3);
    RichEdit2->setObjectName(QStringLiteral("RichEdit2"));
    RichEdit2->setAccessibleName(QStringLiteral("例句"));
    RichEdit2->setAcceptRichText(false);
    RichEdit2->setLineWrapMode(QTextEdit::NoWrap);
    RichEdit2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit2->setFont(SongFont(15));
    SetFieldColours(RichEdit2, Qt::black, FieldBack);
    RichEdit2->setPlainText(QStringLiteral("在上框输入你需要的内容。按回车。"));
    Splitter3->addWidget(WebBrowser1);
    Splitter3->addWidget(RichEdit2);
    Splitter3->setStretchFactor(1, 1);
    Splitter3->setSizes({241, 600});
    column->addWidget(Splitter3, 1);

    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(33);
    auto* row = new QHBoxLayout(Panel3);
    row->setContentsMargins(8, 4, 8, 4);
    struct Button {
        QPushButton** button;
        const char* name;
        const char* caption;
        void (TWordSentenceForrm::*click)();
    };
    const Button buttons[] = {
        {&SpeedButton2, "SpeedButton2", "按学习词语内容浏览上一词语",
         &TWordSentenceForrm::SpeedButton2Click},
        {&SpeedButton3, "SpeedButton3", "按学习词语内容浏览下一词语",
         &TWordSentenceForrm::SpeedButton3Click},
        {&BiInput1, "BiInput1", "输入查看", &TWordSentenceForrm::BiInput1Click},
    };
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), Panel3);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setFont(SongFont(13));
        connect(button, &QPushButton::clicked, this, b.click);
        row->addWidget(button);
        *b.button = button;
    }
    BtAddNewWord = new QToolButton(Panel3);
    BtAddNewWord->setObjectName(QStringLiteral("BtAddNewWord"));
    BtAddNewWord->setText(AddCaption);
    BtAddNewWord->setFont(SongFont(13));
    BtAddNewWord->setToolButtonStyle(Qt::ToolButtonTextOnly);
    BtAddNewWord->setPopupMode(QToolButton::MenuButtonPopup);
    BtAddNewWord->setEnabled(false);
    addMenu_ = new QMenu(BtAddNewWord);
    BtAddNewWord->setMenu(addMenu_);
    connect(BtAddNewWord, &QToolButton::clicked, this, [this] { AddHitToNewWords(0); });
    row->addWidget(BtAddNewWord);
    row->addStretch(1);
    BtcloseForm1 = new QPushButton(QStringLiteral("返回"), Panel3);
    BtcloseForm1->setObjectName(QStringLiteral("BtcloseForm1"));
    BtcloseForm1->setFont(SongFont(13));
    connect(BtcloseForm1, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(BtcloseForm1);
    column->addWidget(Panel3);
}

bool TWordSentenceForrm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel4 && event->type() == QEvent::Resize) {
        Edit1->resize(std::max(40, Panel4->width() - 85), Edit1->height());
    } else if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (!Edit1->text().trimmed().isEmpty()) {
                BiInput1Click();
            }
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            Edit1->clear();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TWordSentenceForrm::Start(ModeButton /*button*/) {
    // Pressing "词句查看(&T)" again while the window is open only brings it forward.
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TWordSentenceForrm::FormShow() {
    studyWords_ = core::ChoosesList(state_.ContentKind) ? state_.CurrentList().Lines()
                                                        : std::vector<std::string>{};
    StopSearches();
    session_ = std::make_shared<LookupSession>(state_.AppDir, state_.DataHome());
    reported_.clear();
    studyIndex_ = 0;
    const bool browsable = !studyWords_.empty();
    SpeedButton2->setEnabled(browsable);
    SpeedButton3->setEnabled(browsable);
    if (browsable) {
        // The first line is shown first; the step buttons reach every line from there.
        ShowStudyWord();
    } else {
        // Nothing to show yet: read and index the texts now, so that the first typed word
        // is answered at once.
        StartSearch({std::string(), core::BankMatch::WholeWord, false});
    }
}

void TWordSentenceForrm::SpeedButton2Click() {
    studyIndex_ = core::StepStudyIndex(studyIndex_, static_cast<int>(studyWords_.size()), -1);
    ShowStudyWord();
}

void TWordSentenceForrm::SpeedButton3Click() {
    studyIndex_ = core::StepStudyIndex(studyIndex_, static_cast<int>(studyWords_.size()), +1);
    ShowStudyWord();
}

void TWordSentenceForrm::ShowStudyWord() {
    if (studyWords_.empty()) {
        return;
    }
    const std::string word = core::EntryWord(studyWords_[static_cast<std::size_t>(studyIndex_)]);
    Edit1->setText(QStringLiteral(" ") + Q(word));
    StartSearch({core::Trim(word), core::BankMatch::WholeWord, true});
}

void TWordSentenceForrm::BiInput1Click() {
    const std::string query = Edit1->text().trimmed().toStdString();
    switch (core::ClassifyQuery(query)) {
    case core::QueryKind::Empty:
        // An empty box finds nothing; the page and the sentences shown stay.
        return;
    case core::QueryKind::Mixed:
        host_.Messages().Inform(MixedQuery);
        return;
    case core::QueryKind::English:
        StartSearch({query, core::BankMatch::WholeWord, true});
        return;
    case core::QueryKind::Chinese:
        StartSearch({query, core::BankMatch::Containment, true});
        return;
    }
}

bool TWordSentenceForrm::SearchBusy() const {
    return running_ != nullptr || waiting_.has_value();
}

void TWordSentenceForrm::StartSearch(const Request& request) {
    if (!session_) {
        return; // not shown yet
    }
    if (running_ != nullptr) {
        // The running search is of no use any more; this one waits for it to end, and a
        // later one takes its place.
        running_->Cancel();
        waiting_ = request;
        return;
    }
    Launch(request);
}

void TWordSentenceForrm::Launch(const Request& request) {
    if (!searches_) {
        searches_ = std::make_unique<sound::UiWorker>();
    }
    running_ = new WSelect(*searches_, session_, request.query, request.match, this);
    runningShows_ = request.show;
    connect(running_, &WSelect::Finished, this, &TWordSentenceForrm::SearchFinished);
    running_->Start();
}

void TWordSentenceForrm::SearchFinished() {
    auto* done = qobject_cast<WSelect*>(sender());
    if (done == nullptr || done != running_) {
        return;
    }
    running_ = nullptr;
    WSelect::Result result = done->TakeResult();
    const bool show = runningShows_;
    done->deleteLater();
    if (waiting_) {
        const Request next = *waiting_;
        waiting_.reset();
        Launch(next);
    } else if (!result.cancelled && show) {
        ShowResult(result);
    }
    // Reports come last: a message box runs the event loop, and the window may close then.
    QPointer<TWordSentenceForrm> self(this);
    for (const core::Status& failure : result.failures) {
        ReportOnce(failure);
        if (!self) {
            return;
        }
    }
    if (!result.error.ok) {
        host_.Messages().ShowError(ErrorText(result.error));
    }
}

void TWordSentenceForrm::ShowResult(WSelect::Result& result) {
    hits_ = std::move(result.hits);
    if (!hits_.empty()) {
        WritePage("2.htm", result.firstHitPage);
    }
    const std::string page = state_.DataHome() + "1.htm";
    if (!WritePage("1.htm", result.PageText) || !WebBrowser1->ShowFile(Q(page))) {
        // A program folder that cannot be written still shows the result.
        WebBrowser1->setHtml(Q(result.PageText));
    }
    Edit1->setText(Q(result.query));

    RichEdit2->clear();
    QTextCharFormat format;
    format.setFont(NamedFont(QStringLiteral("宋体"), 17)); // 13 points at 96 dots per inch
    format.setForeground(Qt::black);
    RichEdit2->setCurrentCharFormat(format);
    RichEdit2->insertPlainText(Q(result.sentences));
    RichEdit2->moveCursor(QTextCursor::Start);
    RichEdit2->ensureCursorVisible();

    closeWords_ = std::move(result.closeWords);
    for (std::size_t k = 0; k < BtCloseWord.size(); ++k) {
        BtCloseWord[k]->setVisible(k < closeWords_.size());
        BtCloseWord[k]->setText(k < closeWords_.size() ? Q(closeWords_[k]) : QString());
    }
    PanelCloseWords->setVisible(!closeWords_.empty());

    addMenu_->clear();
    for (std::size_t k = 0; k < hits_.size(); ++k) {
        const QString text =
            QStringLiteral("《%1》 %2")
                .arg(Q(hits_[k].bankName), Q(core::Trim(core::EntryWord(hits_[k].entry))));
        connect(addMenu_->addAction(text), &QAction::triggered, this,
                [this, k] { AddHitToNewWords(static_cast<int>(k)); });
    }
    BtAddNewWord->setText(AddCaption);
    BtAddNewWord->setEnabled(!hits_.empty());
    emit SearchShown();
}

void TWordSentenceForrm::AddHitToNewWords(int k) {
    if (k < 0 || static_cast<std::size_t>(k) >= hits_.size()) {
        return;
    }
    const std::string& entry = hits_[static_cast<std::size_t>(k)].entry;
    // The learner hears which list already has the word: a mastered word is not new again.
    switch (state_.ListHoldingWord(entry)) {
    case core::StudyState::Holder::None:
        if (state_.AddToNewList(entry)) {
            BtAddNewWord->setText(AddedCaption);
        }
        break;
    case core::StudyState::Holder::NewWords:
        host_.Messages().Inform(AlreadyInNewWords);
        break;
    case core::StudyState::Holder::Mastered:
        host_.Messages().Inform(AlreadyMastered);
        break;
    case core::StudyState::Holder::Review:
        host_.Messages().Inform(AlreadyInReview);
        break;
    }
}

bool TWordSentenceForrm::WritePage(const std::string& name, const std::string& text) {
    // The pages go where the program writes; their pictures stay in the program folder.
    const core::Status status = core::WritePage(state_.DataHome() + name, text);
    if (!status) {
        ReportOnce(status);
    }
    return status.ok;
}

void TWordSentenceForrm::ReportOnce(const core::Status& status) {
    if (reported_.insert(status.file).second) {
        host_.Messages().ShowError(ErrorText(status));
    }
}

void TWordSentenceForrm::StopSearches() {
    waiting_.reset();
    if (session_) {
        session_->Close();
    }
    if (running_ != nullptr) {
        running_->Cancel();
        delete running_;
        running_ = nullptr;
    }
    searches_.reset(); // waits for the search that runs to see the cancel
    // The next show makes a session of its own: the index of this one (tens of megabytes)
    // is freed now, not when the window opens again.
    if (session_) {
        session_.reset();
#ifdef __GLIBC__
        // The index was built on the worker: its pages go back to the system rather than
        // stay with that thread's heap. Only after a session went, so a show trims nothing.
        malloc_trim(0);
#endif
    }
}

void TWordSentenceForrm::closeEvent(QCloseEvent* event) {
    // FormCloseQuery: the placeholder page replaces the last result; the close goes on.
    WritePage("1.htm", core::PlaceholderPage());
    StopSearches();
    event->accept();
}

void RegisterLookupWindow(ModeHost& host) {
    ModeRegistration lookup;
    lookup.slot = ModeSlot::Lookup;
    lookup.colour = StudyModeColour;
    lookup.create = [&host](QWidget* parent) -> ModeWindow* {
        return new TWordSentenceForrm(host, parent);
    };
    host.RegisterMode(ModeButton::closelookword, std::move(lookup));
}
