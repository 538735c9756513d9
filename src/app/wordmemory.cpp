#include "app/wordmemory.h"

#include "host/errortext.h"
#include "host/uistyle.h"

#include "app/abouttext.h"
#include "app/knobimage.h"
#include "core/historyevent.h"
#include "core/random.h"
#include "core/speech.h"
#include "core/startupmark.h"
#include "core/studyperiod.h"
#include "core/studystate.h"
#include "core/volume.h"
#include "core/waveheader.h"
#include "core/wordentry.h"
#include "host/messageservice.h"
#include "host/modewindow.h"
#include "host/studyhistory.h"
#include "learner/wordform.h"
#include "learner/wordfriend.h"
#include "learner/wordstoreroom.h"
#include "sound/mediaplayer.h"
#include "sound/sounderror.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>
#include <utility>
#include <vector>

namespace {

const QColor Green(0, 128, 0);
const QColor Teal(0, 128, 128);
const QColor Maroon(128, 0, 0);

QLabel* StatLabel(const QString& text, int x, QWidget* parent, const char* name) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(x, 10, 150, 18);
    label->setFont(NamedFont(QStringLiteral("宋体"), 13));
    SetTextColour(label, Green);
    return label;
}

} // namespace

TWordmemory::TWordmemory(ShellServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), state_(services.state),
      clock_(services.clock), messages_(services.messages), voice_(services.voice),
      mediaPlayer_(services.mediaPlayer), appDir_(services.appDir),
      learnerDir_(services.learnerDir), readVolume_(std::move(services.readVolume)),
      writeVolume_(std::move(services.writeVolume)), signIn_(services.signIn),
      afterFirstFrame_(std::move(services.afterFirstFrame)),
      startUpOnShow_(services.startUpOnShow) {
    random_ = services.random;
    if (random_ == nullptr) {
        ownRandom_ = std::make_unique<core::SeededRandom>();
        random_ = ownRandom_.get();
    }
    if (appDir_.isEmpty()) {
        appDir_ = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    } else if (!appDir_.endsWith(QLatin1Char('/'))) {
        appDir_ += QLatin1Char('/');
    }
    if (!learnerDir_.isEmpty() && !learnerDir_.endsWith(QLatin1Char('/'))) {
        learnerDir_ += QLatin1Char('/');
    }
    setObjectName(QStringLiteral("Wordmemory"));
    setWindowTitle(QStringLiteral("朗记通"));
    resize(792, 556);
    setFocusPolicy(Qt::StrongFocus);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1500);
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(10);
    timer3_ = new QTimer(this);
    timer3_->setObjectName(QStringLiteral("Timer3"));
    timer3_->setInterval(1000);
    connect(timer3_, &QTimer::timeout, this, &TWordmemory::SpeechWatch);
    // The periodic save starts with the first change not yet saved and is not pushed back by
    // later ones, so that steady study is saved too.
    autosave_ = new QTimer(this);
    autosave_->setObjectName(QStringLiteral("Autosave"));
    autosave_->setSingleShot(true);
    autosave_->setInterval(services.autosaveMs);
    connect(autosave_, &QTimer::timeout, this, &TWordmemory::AutosaveTimeout);

    pronouncer_ =
        std::make_unique<Pronouncer>(state_, messages_, voice_, mediaPlayer_, timer2_, timer3_);
    // The client panel is there from the start: the mode windows are registered into it.
    panel1_ = new QWidget(this);
    panel1_->setObjectName(QStringLiteral("Panel1"));
    switcher_ = std::make_unique<ModeSwitcher>(
        ModeSwitcher::Parts{state_, timer1_, timer2_, mediaPlayer_, panel1_,
                            [this](const QColor& colour) { SetColour(colour); }});

    // FormCreate: the speech object starts at its normal speed.
    state_.Voice = voice_;
    SetSpeechSpeed(core::DefaultSpeechSpeed);
    if (mediaPlayer_ != nullptr) {
        connect(mediaPlayer_, &sound::MediaPlayer::Notify, this, &TWordmemory::MediaPlayer1Notify);
        // A sound file that fails after its play has started (the start itself reports
        // through Pronounce).
        connect(mediaPlayer_, &sound::MediaPlayer::Failed, this, &TWordmemory::ReportSoundFailure);
    }
    timer3_->start();

    state_.OnText = [this](core::StatText which, const std::string& text) {
        ShowText(which, text);
    };
    state_.OnListsChanged = [this] {
        if (!autosave_->isActive()) {
            autosave_->start();
        }
    };
    history_ = new StudyHistory(state_, clock_, this);
    history_->OnFailure = [this](const core::Status& failure) {
        messages_.ShowError(ErrorText(failure));
    };
    state_.OnMove = [this](const std::string& entry, core::StudyState::Holder from,
                           core::StudyState::Holder to) { RecordMove(entry, from, to); };

    RegisterLearnerWindows();
    if (!services.buildBehindSignIn) {
        BuildContent();
    }
}

TWordmemory::~TWordmemory() {
    state_.OnText = nullptr;
    state_.OnListsChanged = nullptr;
    state_.OnMove = nullptr;
    // Mode windows may refer to the host while they are destroyed; end them first.
    switcher_.reset();
}

void TWordmemory::RegisterLearnerWindows() {
    ModeRegistration wordBank;
    wordBank.slot = ModeSlot::WordBank;
    wordBank.stop = BrowseStop::IfRunning;
    wordBank.timer1Off = true;
    wordBank.keepsWindow = true;
    wordBank.create = [this](QWidget* parent) -> ::ModeWindow* {
        return new TWordstoreroom1(state_, messages_, *wordForm1_, parent);
    };
    RegisterMode(ModeButton::SpeedButton12, std::move(wordBank));

    // The study content has a window of its own, beside the main window.
    ModeRegistration content;
    content.stop = BrowseStop::IfRunning;
    content.timer1Off = true;
    content.prepare = [this] {
        wordForm1_->show();
        wordForm1_->raise();
        wordForm1_->activateWindow();
        return false;
    };
    RegisterMode(ModeButton::SpeedButton13, std::move(content));
}

void TWordmemory::BuildContent() {
    if (contentBuilt_) {
        return;
    }
    contentBuilt_ = true;
    BuildWindow();
    SetColour(CardModeColour);
    // The study-content window is created with the main window's content and stays hidden.
    wordForm1_ = std::make_unique<TWordForm1>(state_, messages_);
    // The study-content window is a window of its own: the column's Alt keys work there too,
    // so that a mode opens by its key whichever window the learner is in.
    for (QPushButton* button : Panel3->findChildren<QPushButton*>()) {
        const QKeySequence key = QKeySequence::mnemonic(button->text());
        if (!key.isEmpty()) {
            auto* there = new QShortcut(key, wordForm1_.get());
            connect(there, &QShortcut::activated, button, &QPushButton::click);
        }
    }
    core::StartupMark("main window built");
}

void TWordmemory::BuildWindow() {
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    bands_ = new QSplitter(Qt::Vertical, this);
    middle_ = new QSplitter(Qt::Horizontal);
    for (QSplitter* splitter : {bands_, middle_}) {
        splitter->setHandleWidth(2);
        splitter->setChildrenCollapsible(false);
        splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: #008080; }"));
    }
    root->addWidget(bands_);

    BuildBanner();
    BuildModeColumn();
    BuildClientPanel();
    BuildStatistics();

    middle_->addWidget(Panel3);
    middle_->addWidget(panel1_);
    middle_->setStretchFactor(0, 0);
    middle_->setStretchFactor(1, 1);
    middle_->setSizes({156, 636});
    bands_->addWidget(Panel6);
    bands_->addWidget(middle_);
    bands_->addWidget(Panel4);
    bands_->setStretchFactor(0, 0);
    bands_->setStretchFactor(1, 1);
    bands_->setStretchFactor(2, 0);
    bands_->setSizes({81, 433, 38});
}

void TWordmemory::BuildBanner() {
    // Top band: banner and the "×".
    Panel6 = new QFrame;
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setMinimumHeight(40);
    Label5 = new QLabel(Panel6);
    label4_ = new QLabel(QStringLiteral("一份努力     一份收获"), Panel6);
    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setTextFormat(Qt::PlainText); // it shows the learner's name
    label4_->setAlignment(Qt::AlignCenter);
    label4_->setWordWrap(true);
    label4_->setFont(NamedFont(QStringLiteral("华文楷体"), 40, true));
    SetTextColour(label4_, Maroon);
    Formclose1 = new QPushButton(QStringLiteral("×"), Panel6);
    Formclose1->setObjectName(QStringLiteral("Formclose1"));
    Formclose1->setFixedSize(23, 22);
    Formclose1->setFlat(true);
    Formclose1->setFocusPolicy(Qt::NoFocus);
    Formclose1->setFont(NamedFont(QStringLiteral("宋体"), 16, true));
    SetTextColour(Formclose1, Green);
    connect(Formclose1, &QPushButton::clicked, this, &QWidget::close);
    Panel6->installEventFilter(this);
}

void TWordmemory::BuildModeColumn() {
    // Left column: the mode buttons in their frame and the volume control.
    Panel3 = new QFrame;
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setMinimumWidth(60);
    Shape1 = new QFrame(Panel3);
    Shape1->setGeometry(14, 38, 128, 417);
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    SetTextColour(Shape1, Teal);
    struct ButtonDef {
        QPushButton** member;
        const char* name;
        const char* caption;
        int y;
        ModeButton mode;
        bool isMode;
    };
    const ButtonDef defs[] = {
        {&Btfollow, "Btfollow", "跟读速记(&S)", 48, ModeButton::Btfollow, true},
        {&btrecordword, "btrecordword", "录音跟读(&D)", 78, ModeButton::btrecordword, true},
        {&lookword, "lookword", "浏览跟读(&F)", 108, ModeButton::lookword, true},
        {&closelookword, "closelookword", "词句查看(&T)", 138, ModeButton::closelookword, true},
        {&SpeedButton9, "SpeedButton9", "输入测试(&w)", 168, ModeButton::SpeedButton9, true},
        {&BtSelectTest1, "BtSelectTest1", "选择测试(&C)", 198, ModeButton::BtSelectTest1, true},
        {&SpeedButton12, "SpeedButton12", "词库设置(&K)", 228, ModeButton::SpeedButton12, true},
        {&SpeedButton13, "SpeedButton13", "学习内容(&G)", 258, ModeButton::SpeedButton13, true},
        {&SpeedButton1, "SpeedButton1", "音标学习(&P)", 288, ModeButton::SpeedButton1, true},
        {&SpeedButton14, "SpeedButton14", "学习统计(&J)", 318, ModeButton::SpeedButton14, true},
        {&SpeedButton11, "SpeedButton11", "声音还原(&V)", 348, ModeButton::Btfollow, false},
        {&Bthelp, "Bthelp", "帮助(&H)", 427, ModeButton::Btfollow, false},
    };
    for (const auto& def : defs) {
        auto* button = new QPushButton(QString::fromUtf8(def.caption), Panel3);
        button->setObjectName(QLatin1String(def.name));
        button->setGeometry(25, def.y, 105, 23);
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFont(NamedFont(QStringLiteral("宋体"), 13));
        SetTextColour(button, Green);
        *def.member = button;
        if (def.isMode) {
            buttons_[def.mode] = button;
            const ModeButton mode = def.mode;
            connect(button, &QPushButton::clicked, this, [this, mode] { OpenModeWindow(mode); });
        }
    }
    Btfollow->setToolTip(QStringLiteral("开始这次学习"));
    connect(SpeedButton11, &QPushButton::clicked, this, &TWordmemory::SpeedButton11Click);
    connect(Bthelp, &QPushButton::clicked, this, &TWordmemory::BthelpClick);
    auto* helpKey = new QShortcut(QKeySequence::HelpContents, this);
    connect(helpKey, &QShortcut::activated, this, &TWordmemory::BthelpClick);

    Image1 = new KnobImage(Panel3);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(21, 384, 120, 38);
    Image2 = new KnobImage(Panel3);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image3 = new KnobImage(Panel3);
    Image3->setObjectName(QStringLiteral("Image3"));
    // The volume knob runs in the upper half of the frame, the speed knob in the lower half.
    Image2->setGeometry(Image1->x() + core::KnobOffsetMax, Image1->y() + 8, 9, 9);
    Image3->setGeometry(Image1->x() + core::SpeedKnobDesignOffset, Image1->y() + 22, 9, 9);
    for (KnobImage* image : {Image1, Image2, Image3}) {
        image->setAcceptDrops(true);
        image->setScaledContents(true);
    }
    Image1->onDrop = [this](QObject* source, int x) { Image1DragDrop(source, x); };
    Image2->onDragEnd = [this] { ImageEndDrag(Image2); };
    Image3->onDragEnd = [this] { ImageEndDrag(Image3); };
}

void TWordmemory::BuildClientPanel() {
    // Client panel.
    Label1 = new QLabel(QStringLiteral("请选择您需要的学习方式。"), panel1_);
    Label1->setFont(NamedFont(QStringLiteral("宋体"), 29));
    Label1->move(24, 24);
    Label1->adjustSize();
    SetTextColour(Label1, Green);
}

void TWordmemory::BuildStatistics() {
    // Bottom band: the statistics.
    Panel4 = new QFrame;
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setMinimumHeight(30);
    lbalreadymastery_ =
        StatLabel(QStringLiteral("已掌握单词000个"), 20, Panel4, "LBalreadymastery");
    LBnewword = StatLabel(QStringLiteral("新学单词量000个"), 180, Panel4, "LBnewword");
    LbreviewCount = StatLabel(QStringLiteral("需复习单词000个"), 330, Panel4, "LbreviewCount");
    LBzhongCount = StatLabel(QStringLiteral("单词总数量000个"), 480, Panel4, "LBzhongCount");
    lbtimecount_ = StatLabel(QStringLiteral("学习时间15分钟"), 632, Panel4, "Lbtimecount");
}

void TWordmemory::SetColour(const QColor& colour) {
    colour_ = colour;
    for (QWidget* widget : std::initializer_list<QWidget*>{this, Panel6, Panel3, Panel4, panel1_}) {
        SetBackground(widget, colour);
    }
    // The column's buttons sit on this colour, black behind the cards and pale behind the
    // other modes: their green is darkened or lightened to stay readable on either.
    const QColor text = ReadableOn(Green, colour);
    for (QPushButton* button : Panel3->findChildren<QPushButton*>()) {
        SetTextColour(button, text);
    }
}

void TWordmemory::BthelpClick() {
    messages_.Inform(AboutText(appDir_, learnerDir_));
}

void TWordmemory::OfferImport(const QString& path) {
    if (!started_) {
        pendingImport_ = path;
        return;
    }
    if (state_.LearnerName.empty()) {
        return;
    }
    if (messages_.AskOkCancel(
            QStringLiteral("导入单词"),
            QStringLiteral("把“%1”中的单词导入为一个新词库吗？").arg(QFileInfo(path).fileName())) !=
        MessageService::Answer::Ok) {
        return;
    }
    OpenModeWindow(ModeButton::SpeedButton12);
    TWordstoreroom1* store = Wordstoreroom1();
    if (store == nullptr) {
        return;
    }
    // The word-bank window's own import, with this file in place of the file dialog.
    auto choose = std::move(store->ChooseFile);
    store->ChooseFile = [path](bool, const QString&) { return path; };
    store->importBankClick();
    store->ChooseFile = std::move(choose);
}

void TWordmemory::ShowText(core::StatText which, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    switch (which) {
    case core::StatText::Mastered:
        lbalreadymastery_->setText(shown);
        break;
    case core::StatText::NewLearned:
        LBnewword->setText(shown);
        break;
    case core::StatText::Review:
        LbreviewCount->setText(shown);
        break;
    case core::StatText::Total:
        LBzhongCount->setText(shown);
        break;
    case core::StatText::Banner:
        label4_->setText(shown);
        break;
    case core::StatText::Summary:
        wordForm1_->Label1->setText(shown);
        break;
    }
}

QPushButton* TWordmemory::Button(ModeButton button) const {
    return buttons_.at(button);
}

TWordstoreroom1* TWordmemory::Wordstoreroom1() const {
    return qobject_cast<TWordstoreroom1*>(switcher_->SlotWindow(ModeSlot::WordBank));
}

void TWordmemory::RegisterMode(ModeButton button, ModeRegistration registration) {
    switcher_->Register(button, std::move(registration));
}

QWidget* TWordmemory::SlotWindow(ModeSlot slot) const {
    return switcher_->SlotWindow(slot);
}

void TWordmemory::StopBrowse(bool timer1Off, bool closePlayer) {
    switcher_->StopBrowse(timer1Off, closePlayer);
}

void TWordmemory::OpenModeWindow(ModeButton button) {
    switcher_->Open(button);
}

void TWordmemory::StudyContentChanged() {
    wordForm1_->FollowContentKind();
}

void TWordmemory::SpeakText(const QString& text) {
    pronouncer_->SpeakText(text);
}

void TWordmemory::SpeechWatch() {
    pronouncer_->SpeechWatch();
}

void TWordmemory::MediaPlayer1Notify() {
    if (state_.BrowseMode == 1 && state_.BrowseRunning == 1) {
        timer2_->start();
    }
    switcher_->SharedSoundEnded();
}

void TWordmemory::ShowStudyTime(const QString& prefix, const std::string& timeText) {
    lbtimecount_->setText(prefix + QString::fromStdString(timeText));
}

sound::Pronunciation TWordmemory::Pronounce(sound::PronounceVariant variant,
                                            const std::string& word,
                                            const PronounceOptions& options) {
    return pronouncer_->Pronounce(variant, word, options);
}

void TWordmemory::ReportSoundFailure(const core::Status& failure) {
    pronouncer_->ReportSoundFailure(failure);
}

std::uint32_t TWordmemory::Volume() const {
    return readVolume_ ? readVolume_() : volume_;
}

void TWordmemory::SetOutputVolume(std::uint32_t volume) {
    volume_ = volume;
    if (writeVolume_) {
        writeVolume_(volume);
    }
}

int TWordmemory::KnobOffset(const QWidget* knob) const {
    return knob->x() - Image1->x();
}

void TWordmemory::SetKnobOffset(QWidget* knob, int offset) {
    knob->move(Image1->x() + offset, knob->y());
}

void TWordmemory::Image1DragDrop(QObject* source, int x) {
    // Only the knobs move; the frame dropped on itself does nothing.
    if (source != Image2 && source != Image3) {
        return;
    }
    SetKnobOffset(static_cast<QWidget*>(source), core::ClampKnobOffset(x));
}

void TWordmemory::ImageEndDrag(QObject* source) {
    if (source == Image2) {
        SetOutputVolume(core::VolumeFromOffset(KnobOffset(Image2)));
    } else if (source == Image3) {
        SetSpeechSpeed(core::SpeechSpeedFromOffset(KnobOffset(Image3)));
    }
}

void TWordmemory::SpeedButton11Click() {
    SetKnobOffset(Image2, core::VolumeKnobRestoreOffset);
    SetOutputVolume(core::RestoreVolume);
    SetSpeechSpeed(core::DefaultSpeechSpeed);
    SetKnobOffset(Image3, core::SpeedKnobRestoreOffset);
}

void TWordmemory::LoadVolumeControl() {
    SetKnobOffset(Image2, core::KnobOffsetFromVolume(Volume()));
    const std::pair<KnobImage*, const char*> pictures[] = {
        {Image2, "volumebit.bmp"}, {Image1, "volumeframen.bmp"}, {Image3, "volumebit.bmp"}};
    for (const auto& [image, file] : pictures) {
        const QString path = appDir_ + QLatin1String(file);
        QPixmap picture;
        if (!picture.load(path)) {
            messages_.ShowError(QStringLiteral("无法打开文件“") + path + QStringLiteral("”"));
            return;
        }
        image->setPixmap(picture);
    }
}

void TWordmemory::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (startUpOnShow_ && !formShowQueued_) {
        formShowQueued_ = true;
        // The sign-in window comes up over this one at once; its first frame goes first.
        setUpdatesEnabled(false);
        QTimer::singleShot(0, this, &TWordmemory::FormShow);
    }
}

void TWordmemory::FormShow() {
    if (started_) {
        return;
    }
    started_ = true;
    if (label4_ != nullptr) { // else it is made with this text behind the sign-in window
        label4_->setText(QStringLiteral("一份努力     一份收获"));
    }
    state_.ColourCycle1 = 100;
    state_.ColourCycle2 = 25;
    state_.ColourCycle3 = 175;
    state_.WordCursor = 0;
    state_.NewLearnedCount = 0;
    state_.BrowseMode = 0;
    state_.SpellAdvance = 0;
    state_.AppDir = appDir_.toStdString();
    state_.LearnerDataDir = learnerDir_.toStdString();

    {
        Twordfriend wordfriend(state_, clock_, messages_, signIn_, this, &learnerLock_);
        core::StartupMark("sign-in window made");
        connect(&wordfriend, &Twordfriend::FirstFrameShown, this, &TWordmemory::AfterFirstFrame);
        wordfriend.setGeometry(screen()->availableGeometry());
        wordfriend.setWindowState(Qt::WindowMaximized);
        wordfriend.exec();
    }
    AfterFirstFrame();

    if (!state_.LearnerName.empty()) {
        history_->Open();
        const bool loaded = wordForm1_->MYSBt1Click();
        history_->RecordLists();
        if (loaded) {
            if (state_.ReturningLearner == 1) {
                state_.ContentKind = core::StudyContent::Review;
                wordForm1_->FollowContentKind();
                lookword->click();
            } else {
                SpeedButton12->click();
            }
        }
    } else {
        close();
    }
    LoadVolumeControl();
    if (!pendingImport_.isEmpty()) {
        OfferImport(std::exchange(pendingImport_, QString()));
    }
}

void TWordmemory::AfterFirstFrame() {
    // The sign-in window covers this one: it is made and drawn now, behind it, rather than
    // before it.
    BuildContent();
    setUpdatesEnabled(true);
    if (!afterFirstFrame_) {
        return;
    }
    const auto bringUp = std::move(afterFirstFrame_);
    afterFirstFrame_ = nullptr;
    // Without the phonetic font every phonetic shows as plain letters: the learner hears why,
    // once.
    const core::Status status = bringUp();
    if (!status) {
        messages_.ShowError(ErrorText(status));
    }
}

void TWordmemory::closeEvent(QCloseEvent* event) {
    const core::Status saved = SavedLists();
    if (!saved) {
        messages_.ShowError(ErrorText(saved));
        event->ignore();
        return;
    }
    timer1_->stop();
    timer2_->stop();
    timer3_->stop();
    autosave_->stop();
    if (wordForm1_) {
        wordForm1_->hide();
    }
    history_->Close();
    learnerLock_.Release();
    event->accept();
    emit ListsSaved();
    emit FormClosed();
}

core::Status TWordmemory::SavedLists() {
    // Before the content is made (a logout while the sign-in window comes up) no list has
    // been loaded: there is nothing to save.
    return wordForm1_ ? wordForm1_->MYSaveClick() : core::Status::Ok();
}

core::Status TWordmemory::SaveLists(SaveReport report) {
    const core::Status saved = SavedLists();
    if (saved) {
        autosaveReported_ = false;
        emit ListsSaved();
        return saved;
    }
    if (report == SaveReport::Always || (report == SaveReport::Once && !autosaveReported_)) {
        messages_.ShowError(ErrorText(saved));
    }
    if (report == SaveReport::Once) {
        autosaveReported_ = true;
    }
    return saved;
}

void TWordmemory::AutosaveTimeout() {
    if (!SaveLists(SaveReport::Once)) {
        autosave_->start(); // tried again a period later; the close tries as well
    }
}

void TWordmemory::keyPressEvent(QKeyEvent* event) {
    // Esc closes the main window only while no control of a mode window has the keyboard.
    QWidget* focus = focusWidget();
    if (event->key() == Qt::Key_Escape && (focus == nullptr || focus == this)) {
        // A stray Esc must not end a study session.
        if (messages_.AskOkCancel(QStringLiteral("退出"), QStringLiteral("退出朗记通吗？")) ==
            MessageService::Answer::Ok) {
            close();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TWordmemory::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        if (watched == Panel6) {
            const int w = Panel6->width();
            Label5->setGeometry(0, 0, w, 16);
            label4_->setGeometry(0, 16, w, qMax(0, Panel6->height() - 16));
            // The "×" keeps 28 pixels from the window's right edge.
            Formclose1->move(w - 28, 2);
            Formclose1->raise();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TWordmemory::RecordStudy(const core::HistoryEvent& event) {
    history_->Record(event);
}

std::string TWordmemory::HistoryPath() const {
    return history_->Path();
}

void TWordmemory::RecordMove(const std::string& entry, core::StudyState::Holder from,
                             core::StudyState::Holder to) {
    const auto list = [](core::StudyState::Holder holder) {
        switch (holder) {
        case core::StudyState::Holder::NewWords:
            return core::HistoryList::NewWords;
        case core::StudyState::Holder::Mastered:
            return core::HistoryList::Mastered;
        case core::StudyState::Holder::Review:
            return core::HistoryList::Review;
        case core::StudyState::Holder::None:
            break;
        }
        return core::HistoryList::None;
    };
    core::HistoryEvent event;
    event.kind = core::HistoryKind::Move;
    event.word = core::EntryWord(entry);
    event.from = list(from);
    event.to = list(to);
    event.lists = {static_cast<long long>(state_.NewList.size()),
                   static_cast<long long>(state_.MasteredList.size()),
                   static_cast<long long>(state_.ReviewList.size())};
    history_->Record(event);
}
