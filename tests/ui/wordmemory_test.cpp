#include "core/textfile.h"
#include "host/modewindow.h"
#include "host/uistyle.h"
#include "shellfixture.h"

#include "host/fonts.h"

#include "app/knobimage.h"
#include "learner/wordform.h"
#include "learner/wordstoreroom.h"
#include "modes/registry.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <map>
#include <stdexcept>

namespace {

const QColor Black(0, 0, 0);
const QColor LightBlue(238, 238, 255);

/// The buttons that show a mode window in the client panel, as the modes registered them.
std::vector<ModeButton> WindowButtons(TWordmemory& shell) {
    std::vector<ModeButton> buttons;
    for (ModeButton button : shell.Switcher().Buttons()) {
        const ModeRegistration* registration = shell.Switcher().Registration(button);
        if (registration->slot && !registration->keepsWindow) {
            buttons.push_back(button);
        }
    }
    return buttons;
}

/// Stand-ins for the mode windows: they count their start-ups and carry a Timer1.
/// A stand-in mode window that counts what the host asks of it.
class FakeWindow : public QWidget, public ModeWindow {
public:
    FakeWindow(QWidget* parent, std::function<void()> onStart)
        : QWidget(parent), onStart_(std::move(onStart)) {}
    QWidget* Widget() override { return this; }
    void Start(ModeButton) override { onStart_(); }
    void SharedSoundEnded() override { ++soundEnds; }
    int soundEnds = 0;

private:
    std::function<void()> onStart_;
};

struct FakeModes {
    std::map<ModeButton, int> prepared;
    std::map<ModeButton, int> started;
    std::map<ModeButton, int> created;
    bool allowStart = true;

    /// The real registrations with stand-in windows: each button keeps its own rule.
    void RegisterAll(TWordmemory& shell) {
        RegisterModeWindows(shell);
        for (ModeButton button : WindowButtons(shell)) {
            ModeRegistration registration = *shell.Switcher().Registration(button);
            registration.prepare = [this, button] {
                ++prepared[button];
                return allowStart;
            };
            registration.create = [this, button](QWidget* parent) -> ModeWindow* {
                ++created[button];
                return new FakeWindow(parent, [this, button] { ++started[button]; });
            };
            shell.RegisterMode(button, std::move(registration));
        }
    }
};

ModeSlot SlotOf(TWordmemory& shell, ModeButton button) {
    return shell.Switcher().Registration(button)->slot.value();
}

class MainWindowTest : public ShellTest {
protected:
    void SetUp() override { MakePictures(); }
    QStringList Entries() const {
        return QDir(appDir_).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name);
    }
};

TEST_F(MainWindowTest, NewLearnerLandsInTheWordBankWindow) {
    MakeBank("小学词汇", {"one[wQn]num.一"});
    MakeBank("中考词汇", {"two[tu:]num.二"});
    StartWith("Ann", "SBfriend");

    EXPECT_EQ(state_.LearnerName, "Ann");
    EXPECT_EQ(state_.ReturningLearner, 0);
    TWordstoreroom1* bank = Shell().Wordstoreroom1();
    ASSERT_NE(bank, nullptr);
    EXPECT_TRUE(bank->isVisibleTo(&Shell()));
    EXPECT_EQ(bank->parentWidget(), Shell().Panel1());
    EXPECT_EQ(bank->ListBox1->count(), 2);
    EXPECT_EQ(bank->ListBox1->item(1)->text(), QStringLiteral("中考词汇"));
    EXPECT_EQ(Shell().LBzhongCount->text(), QStringLiteral("单词总数量0个"));
    EXPECT_EQ(Shell().Label4()->text(), QStringLiteral("Ann     努力吧！ 成功就在眼前！"));
    EXPECT_TRUE(messages_.Texts().isEmpty()) << messages_.Texts().join('|').toStdString();
    EXPECT_EQ(state_.ColourCycle1, 100);
    EXPECT_EQ(state_.ColourCycle2, 25);
    EXPECT_EQ(state_.ColourCycle3, 175);
    EXPECT_EQ(state_.AppDir, appDir_.toStdString());
}

TEST_F(MainWindowTest, TheLearnersNameIsShownAsWritten) {
    MakeBank("中考词汇", {"two[tu:]num.二"});
    StartWith("<big>Ann", "SBfriend");
    ASSERT_EQ(state_.LearnerName, "<big>Ann");
    EXPECT_EQ(Shell().Label4()->text(), QStringLiteral("<big>Ann     努力吧！ 成功就在眼前！"));
    EXPECT_TRUE(RendersAsPlainText(Shell().Label4()));
}

TEST_F(MainWindowTest, ReturningLearnerBrowsesTheReviewList) {
    MakeLearner("Bob", {"a[eI]art.一", "b[bi:]n.字母"}, {"cat[kAt]n.猫"},
                {"dog[dCg]n.狗", "egg[eg]n.蛋"});
    FakeModes modes;
    modes.RegisterAll(Shell());
    Shell().SetColour(LightBlue);
    StartWith("Bob", "SbOpen1");

    EXPECT_EQ(state_.ReturningLearner, 1);
    EXPECT_EQ(state_.ContentKind, core::StudyContent::Review);
    EXPECT_TRUE(Shell().WordForm1()->RadioButton3->isChecked());
    EXPECT_EQ(modes.started[ModeButton::lookword], 1);
    ASSERT_NE(Shell().SlotWindow(ModeSlot::Cards), nullptr);
    EXPECT_TRUE(Shell().SlotWindow(ModeSlot::Cards)->isVisibleTo(&Shell()));
    EXPECT_EQ(Shell().Colour(), Black);
    EXPECT_EQ(Shell().LBalreadymastery()->text(), QStringLiteral("已掌握单词1个"));
    EXPECT_EQ(Shell().LbreviewCount->text(), QStringLiteral("需复习单词2个"));
    EXPECT_EQ(Shell().LBzhongCount->text(), QStringLiteral("单词总数量5个"));
    EXPECT_EQ(Shell().LBnewword->text(), QStringLiteral("新学单词量000个"));
    EXPECT_EQ(Shell().WordForm1()->Label1->text(),
              QStringLiteral("单词共3个单词，已经掌握1个，需复习单词2个：  "));
    EXPECT_EQ(Shell().Wordstoreroom1(), nullptr);
}

TEST_F(MainWindowTest, LeavingAtSignInClosesAndSavesNothing) {
    const QStringList before = Entries();
    QSignalSpy closed(&Shell(), &TWordmemory::FormClosed);
    StartWith("Bob", "SBclose");
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(state_.LearnerName, "");
    EXPECT_EQ(Entries(), before);
}

TEST_F(MainWindowTest, ClosingSavesTheListsAndAFailedSaveKeepsTheWindowOpen) {
    MakeLearner("Bob", {"a[eI]art.一"}, {}, {});
    StartWith("Bob", "SbOpen1");
    Shell().show();
    state_.CurrentEntry = "dog[dCg]n.狗";
    ASSERT_TRUE(state_.AddToReview());
    state_.CurrentEntry = "cat[kAt]n.猫";
    ASSERT_TRUE(state_.AddToMastered());
    EXPECT_EQ(Shell().LBnewword->text(), QStringLiteral("新学单词量1个"));

    // The mastered file cannot be replaced: a folder stands in its place.
    ASSERT_TRUE(QFile::remove(appDir_ + "Bob/Bob2.bm"));
    ASSERT_TRUE(QDir(appDir_).mkpath("Bob/Bob2.bm"));
    QSignalSpy closed(&Shell(), &TWordmemory::FormClosed);
    EXPECT_FALSE(Shell().close());
    EXPECT_TRUE(Shell().isVisible());
    EXPECT_EQ(closed.count(), 0);
    const QStringList errors = messages_.Texts(MessageRecorder::Kind::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.front().contains(QStringLiteral("Bob2.bm"))) << errors.front().toStdString();

    ASSERT_TRUE(QDir(appDir_ + "Bob/Bob2.bm").removeRecursively());
    EXPECT_TRUE(Shell().close());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(ReadLines("Bob/Bob1.bm"), std::vector<std::string>{"a[eI]art.一"});
    EXPECT_EQ(ReadLines("Bob/Bob2.bm"), std::vector<std::string>{"cat[kAt]n.猫"});
    EXPECT_EQ(ReadBytes("Bob/Bob3.bm"),
              QByteArray("dog[dCg]n.") + QByteArray::fromHex("b9b7") + "\r\n"); // 狗 in GBK
}

TEST_F(MainWindowTest, ListsThatFailedToLoadAreNeverWrittenBack) {
    MakeLearner("Bob", {"a[eI]art.一"}, {"cat[kAt]n.猫"}, {});
    // The mastered list cannot be read: a folder stands where the file should be.
    ASSERT_TRUE(QFile::remove(appDir_ + "Bob/Bob2.bm"));
    ASSERT_TRUE(QDir(appDir_).mkpath("Bob/Bob2.bm"));
    ASSERT_TRUE(QFile::remove(appDir_ + "Bob/Bob3.bm"));
    WriteLines("Bob/Bob3.bm", {"dog[dCg]n.狗"});
    StartWith("Bob", "SbOpen1");
    EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::Error).size(), 1);
    EXPECT_TRUE(Shell().close());
    EXPECT_EQ(ReadLines("Bob/Bob3.bm"), std::vector<std::string>{"dog[dCg]n.狗"});
}

TEST_F(MainWindowTest, VolumeControlAtStartUp) {
    volume_ = 0x7F007F00u; // level 127 in both channels
    MakeLearner("Bob", {}, {}, {});
    StartWith("Bob", "SbOpen1");
    EXPECT_EQ(Shell().KnobOffset(Shell().Image2), 20 + 127 * 80 / 255);
    EXPECT_EQ(Shell().KnobOffset(Shell().Image3), 50);
    EXPECT_FALSE(Shell().Image1->pixmap().isNull());
    EXPECT_FALSE(Shell().Image2->pixmap().isNull());
    EXPECT_FALSE(Shell().Image3->pixmap().isNull());
    EXPECT_TRUE(messages_.Texts().isEmpty());
}

TEST_F(MainWindowTest, MissingVolumePictureIsReported) {
    ASSERT_TRUE(QFile::remove(appDir_ + "volumeframen.bmp"));
    MakeLearner("Bob", {}, {}, {});
    StartWith("Bob", "SbOpen1");
    const QStringList errors = messages_.Texts(MessageRecorder::Kind::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.front().contains(QStringLiteral("volumeframen.bmp")));
    EXPECT_EQ(state_.LearnerName, "Bob"); // the sign-in and the first mode ran before
}

TEST_F(MainWindowTest, AMissingOrBrokenPhoneticFontIsReportedOnceNamingTheFile) {
    QDir().mkpath(appDir_ + "fonts");
    const QString folder = appDir_ + "fonts/";
    const core::Status missing = InstallFonts(folder);
    EXPECT_EQ(missing.what, core::Failure::FontMissing);
    QFile broken(folder + "DFPhonetic.ttf");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a font at all");
    broken.close();
    const core::Status unusable = InstallFonts(folder);
    EXPECT_EQ(unusable.what, core::Failure::FontUnusable);

    // The phonetic font comes up with the speech engine, right after the sign-in window's
    // first frame; its failure is shown once and the start-up goes on.
    fontStatus_ = unusable;
    MakeLearner("Bob", {}, {}, {});
    StartWith("Bob", "SbOpen1");
    EXPECT_EQ(afterFirstFrameRuns_, 1);
    EXPECT_TRUE(signInDrawnBeforeDeferred_) << "the sign-in window was drawn first";
    const QStringList errors = messages_.Texts(MessageRecorder::Kind::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.front().contains(folder + "DFPhonetic.ttf")) << errors.front().toStdString();
    EXPECT_EQ(state_.LearnerName, "Bob");
}

TEST_F(MainWindowTest, TheWindowIsBuiltBehindTheSignInWindowAfterItsFirstFrame) {
    MakeLearner("Bob", {}, {}, {});
    startingThroughSignIn_ = true;
    EXPECT_EQ(Shell().findChild<QPushButton*>(QStringLiteral("Btfollow")), nullptr)
        << "the column is not made before the sign-in window";
    StartWith("Bob", "SbOpen1");
    EXPECT_TRUE(signInDrawnBeforeDeferred_);
    EXPECT_TRUE(columnBeforeDeferred_) << "made right after the sign-in window's first frame";
    // Built late, it is whole: the banner, the column with its Alt keys in the study-content
    // window too, and the statistics line the learner's lists were written into.
    EXPECT_EQ(Shell().Label4()->text().left(3), QStringLiteral("Bob"));
    ASSERT_NE(Shell().findChild<QPushButton*>(QStringLiteral("Btfollow")), nullptr);
    const QList<QShortcut*> keys = Shell().WordForm1()->findChildren<QShortcut*>();
    EXPECT_TRUE(std::any_of(keys.begin(), keys.end(), [](const QShortcut* key) {
        return key->key() == QKeySequence(Qt::ALT | Qt::Key_S);
    }));
    EXPECT_EQ(Shell().LBalreadymastery()->text(), QStringLiteral("已掌握单词0个"));
}

TEST_F(MainWindowTest, KnobDropsSetVolumeAndSpeed) {
    TWordmemory& shell = Shell();
    struct Case {
        KnobImage* knob;
        int dropX;
        int offset;
        std::uint32_t volume; // for the volume knob
        int speed;            // for the speed knob
    };
    const Case cases[] = {
        {shell.Image2, 60, 60, 0x7F007F00u, 0},   {shell.Image2, 5, 20, 0x00000000u, 0},
        {shell.Image2, 150, 100, 0xFF00FF00u, 0}, {shell.Image2, 21, 21, 0x03000300u, 0},
        {shell.Image3, 60, 60, 0, 170},           {shell.Image3, 0, 20, 0, 50},
        {shell.Image3, 500, 100, 0, 290},         {shell.Image3, 50, 50, 0, 140},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.knob->objectName().toStdString() + " x=" + std::to_string(c.dropX));
        shell.Image1DragDrop(c.knob, c.dropX);
        shell.ImageEndDrag(c.knob);
        EXPECT_EQ(shell.KnobOffset(c.knob), c.offset);
        if (c.knob == shell.Image2) {
            EXPECT_EQ(volume_, c.volume);
        } else {
            EXPECT_EQ(shell.SpeechSpeed(), c.speed);
            EXPECT_EQ(speech_.Speed(), c.speed);
        }
    }
}

TEST_F(MainWindowTest, DropsOutsideTheFrameOrOfTheFrameMoveNothing) {
    TWordmemory& shell = Shell();
    shell.Image1DragDrop(shell.Image2, 40);
    shell.ImageEndDrag(shell.Image2);
    const std::uint32_t at40 = volume_;
    const int frameX = shell.Image1->x();
    // Dropped elsewhere: no drop handler runs, the drag still ends and sets the same value.
    volume_ = 0x12345678u;
    shell.ImageEndDrag(shell.Image2);
    EXPECT_EQ(shell.KnobOffset(shell.Image2), 40);
    EXPECT_EQ(volume_, at40);
    // The frame dropped on itself moves nothing.
    shell.Image1DragDrop(shell.Image1, 70);
    shell.ImageEndDrag(shell.Image1);
    EXPECT_EQ(shell.Image1->x(), frameX);
    EXPECT_EQ(shell.KnobOffset(shell.Image2), 40);
    EXPECT_EQ(volume_, at40);
}

TEST_F(MainWindowTest, RestoreButtonSetsVolumeSpeedAndKnobs) {
    TWordmemory& shell = Shell();
    shell.Image1DragDrop(shell.Image3, 30);
    shell.ImageEndDrag(shell.Image3);
    shell.Timer2()->start(); // a browse in progress keeps running around the speed change
    shell.SpeedButton11->click();
    EXPECT_EQ(volume_, 0xFA00FA00u);
    EXPECT_EQ(shell.KnobOffset(shell.Image2), 100);
    EXPECT_EQ(shell.KnobOffset(shell.Image3), 60);
    EXPECT_EQ(shell.SpeechSpeed(), 150);
    EXPECT_EQ(speech_.Speed(), 150);
    EXPECT_TRUE(shell.Timer2()->isActive());
    // The knob stands at 60, which a drag to the same place turns into 170.
    shell.ImageEndDrag(shell.Image3);
    EXPECT_EQ(shell.SpeechSpeed(), 170);
}

TEST_F(MainWindowTest, EachButtonClosesTheOtherModeWindows) {
    FakeModes modes;
    modes.RegisterAll(Shell());
    Shell().show();
    Shell().OpenModeWindow(ModeButton::SpeedButton12); // the word-bank window is never closed
    QPointer<QWidget> bank = Shell().SlotWindow(ModeSlot::WordBank);
    ASSERT_NE(bank, nullptr);
    const std::vector<ModeButton> buttons = WindowButtons(Shell());
    ASSERT_EQ(buttons.size(), 7u);
    for (ModeButton first : buttons) {
        for (ModeButton second : buttons) {
            Shell().OpenModeWindow(first);
            QPointer<QWidget> earlier = Shell().SlotWindow(SlotOf(Shell(), first));
            ASSERT_NE(earlier, nullptr);
            Shell().OpenModeWindow(second);
            Settle();
            QWidget* now = Shell().SlotWindow(SlotOf(Shell(), second));
            ASSERT_NE(now, nullptr);
            EXPECT_TRUE(now->isVisible());
            EXPECT_EQ(now->parentWidget(), Shell().Panel1());
            EXPECT_EQ(now->geometry(), Shell().Panel1()->rect());
            if (SlotOf(Shell(), first) == SlotOf(Shell(), second)) {
                EXPECT_EQ(now, earlier.data()) << "the existing window is reused";
            } else {
                EXPECT_TRUE(earlier.isNull()) << "the other window is gone";
                EXPECT_EQ(Shell().SlotWindow(SlotOf(Shell(), first)), nullptr);
            }
            EXPECT_FALSE(bank.isNull());
        }
    }
    // Study content and word banks close every mode window too.
    Shell().OpenModeWindow(ModeButton::SpeedButton9);
    Shell().OpenModeWindow(ModeButton::SpeedButton13);
    Settle();
    EXPECT_EQ(Shell().SlotWindow(ModeSlot::Spelling), nullptr);
    EXPECT_TRUE(Shell().WordForm1()->isVisible());
    EXPECT_EQ(Shell().WordForm1()->parentWidget(), nullptr);
    Shell().OpenModeWindow(ModeButton::BtSelectTest1);
    Shell().OpenModeWindow(ModeButton::SpeedButton12);
    Settle();
    EXPECT_EQ(Shell().SlotWindow(ModeSlot::ChoiceTest), nullptr);
    EXPECT_TRUE(bank->isVisible());
}

TEST_F(MainWindowTest, ButtonColours) {
    FakeModes modes;
    modes.RegisterAll(Shell());
    const QColor Grey(1, 2, 3);
    struct Case {
        ModeButton button;
        QColor colour;
    };
    const Case cases[] = {
        {ModeButton::Btfollow, Black},         {ModeButton::btrecordword, Grey},
        {ModeButton::lookword, Black},         {ModeButton::closelookword, LightBlue},
        {ModeButton::SpeedButton9, LightBlue}, {ModeButton::BtSelectTest1, LightBlue},
        {ModeButton::SpeedButton12, Grey},     {ModeButton::SpeedButton13, Grey},
        {ModeButton::SpeedButton1, LightBlue},
    };
    for (const auto& c : cases) {
        Shell().SetColour(Grey);
        Shell().Button(c.button)->click();
        EXPECT_EQ(Shell().Colour(), c.colour) << static_cast<int>(c.button);
        EXPECT_EQ(Shell().Panel1()->palette().color(QPalette::Window), c.colour);
    }
}

TEST_F(MainWindowTest, ModesNotBuiltYetRunOnlyTheFirstSteps) {
    FakeModes modes;
    modes.RegisterAll(Shell());
    Shell().OpenModeWindow(ModeButton::Btfollow);
    ModeRegistration noWindow = *Shell().Switcher().Registration(ModeButton::closelookword);
    noWindow.create = nullptr;
    Shell().RegisterMode(ModeButton::closelookword, std::move(noWindow));
    Shell().closelookword->click();
    Settle();
    EXPECT_EQ(Shell().SlotWindow(ModeSlot::Cards), nullptr);
    EXPECT_EQ(Shell().SlotWindow(ModeSlot::Lookup), nullptr);
    EXPECT_EQ(Shell().Colour(), LightBlue);
    EXPECT_TRUE(messages_.Texts().isEmpty());
    // A start-up that declines (nothing to browse) shows no window.
    modes.allowStart = false;
    Shell().lookword->click();
    EXPECT_EQ(modes.prepared[ModeButton::lookword], 1);
    EXPECT_EQ(modes.started[ModeButton::lookword], 0);
    EXPECT_EQ(Shell().SlotWindow(ModeSlot::Cards), nullptr);
    EXPECT_EQ(Shell().Colour(), Black);
}

TEST_F(MainWindowTest, ButtonsStopBrowsing) {
    FakeModes modes;
    modes.RegisterAll(Shell());
    struct Case {
        ModeButton button;
        bool stops;
        bool timer1Stays;
        bool closesPlayer;
    };
    const Case cases[] = {
        {ModeButton::Btfollow, true, true, false},
        {ModeButton::btrecordword, true, false, true},
        {ModeButton::closelookword, false, true, false},
        {ModeButton::SpeedButton9, true, true, false},
        {ModeButton::BtSelectTest1, true, false, false},
        {ModeButton::SpeedButton12, true, false, false},
        {ModeButton::SpeedButton13, true, false, false},
        {ModeButton::SpeedButton1, true, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.button));
        state_.BrowseMode = 1;
        state_.BrowseRunning = 1;
        Shell().Timer1()->start();
        Shell().Timer2()->stop(); // a word is being pronounced: the run still counts
        player_.ClearCalls();
        Shell().Button(c.button)->click();
        EXPECT_EQ(state_.BrowseRunning, c.stops ? 0 : 1);
        EXPECT_EQ(Shell().Timer1()->isActive(), c.timer1Stays);
        EXPECT_EQ(player_.Calls().contains(QStringLiteral("Close")), c.closesPlayer);
        EXPECT_EQ(state_.BrowseMode, c.button == ModeButton::Btfollow ? 0 : 1);
    }
}

TEST_F(MainWindowTest, BrowseButtonDuringARunOnlyClosesAndColours) {
    FakeModes modes;
    modes.RegisterAll(Shell());
    Shell().OpenModeWindow(ModeButton::BtSelectTest1);
    state_.BrowseRunning = 1;
    Shell().Timer2()->start();
    Shell().lookword->click();
    Settle();
    EXPECT_EQ(Shell().SlotWindow(ModeSlot::ChoiceTest), nullptr);
    EXPECT_EQ(Shell().Colour(), Black);
    EXPECT_EQ(modes.prepared[ModeButton::lookword], 0);
    EXPECT_EQ(state_.BrowseRunning, 1);
    EXPECT_TRUE(Shell().Timer2()->isActive());
}

TEST_F(MainWindowTest, AModeWindowThatClosedItselfIsCreatedAgain) {
    FakeModes modes;
    modes.RegisterAll(Shell());
    Shell().OpenModeWindow(ModeButton::SpeedButton9);
    QPointer<QWidget> first = Shell().SlotWindow(ModeSlot::Spelling);
    first->close();
    // Its deletion is still pending, yet it no longer exists for the protocol.
    Shell().OpenModeWindow(ModeButton::SpeedButton9);
    Settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(modes.created[ModeButton::SpeedButton9], 2);
    ASSERT_NE(Shell().SlotWindow(ModeSlot::Spelling), nullptr);
}

TEST_F(MainWindowTest, SpeechWatchAndPlayerNotifyResumeBrowsing) {
    TWordmemory& shell = Shell();
    shell.SpeakText(QStringLiteral(" good "));
    EXPECT_EQ(speech_.Texts(), std::vector<std::string>{" good "});
    EXPECT_TRUE(shell.Timer3()->isActive());
    state_.BrowseRunning = 1;
    state_.ModelSoundPlaying = 1;
    shell.SpeechWatch(); // still speaking: wait
    EXPECT_TRUE(shell.Timer3()->isActive());
    EXPECT_FALSE(shell.Timer2()->isActive());
    EXPECT_EQ(state_.ModelSoundPlaying, 1);
    speech_.SetSpeaking(false);
    shell.SpeechWatch();
    EXPECT_FALSE(shell.Timer3()->isActive());
    EXPECT_TRUE(shell.Timer2()->isActive());
    EXPECT_EQ(state_.ModelSoundPlaying, 0);

    // The shared player's end of play: browse resumes only while browsing runs.
    struct Case {
        std::uint8_t mode, running;
        bool resumes;
    };
    for (const Case c : {Case{1, 1, true}, Case{1, 0, false}, Case{0, 1, false}}) {
        shell.Timer2()->stop();
        state_.BrowseMode = c.mode;
        state_.BrowseRunning = c.running;
        player_.EmitNotify();
        EXPECT_EQ(shell.Timer2()->isActive(), c.resumes);
    }

    // The open mode window hears of every end of play (the spelling test waits for it).
    FakeModes modes;
    modes.RegisterAll(shell);
    shell.OpenModeWindow(ModeButton::SpeedButton9);
    auto* spelling = dynamic_cast<FakeWindow*>(shell.SlotWindow(ModeSlot::Spelling));
    ASSERT_NE(spelling, nullptr);
    player_.EmitNotify();
    player_.EmitNotify();
    EXPECT_EQ(spelling->soundEnds, 2);
}

TEST_F(MainWindowTest, ARegistrationAloneBringsInAModeWindow) {
    // A mode is its own files and one registration: its rule comes with it, and the main
    // window places it, closes the others for it and tells it of the shared player.
    FakeModes modes;
    modes.RegisterAll(Shell());
    Shell().show();
    Shell().OpenModeWindow(ModeButton::Btfollow);
    QPointer<QWidget> cards = Shell().SlotWindow(ModeSlot::Cards);
    ASSERT_FALSE(cards.isNull());
    const QColor Own(1, 2, 3);
    int started = 0;
    ModeRegistration dummy;
    dummy.slot = ModeSlot::Lookup;
    dummy.stop = BrowseStop::IfRunning;
    dummy.timer1Off = true;
    dummy.colour = Own;
    dummy.create = [&started](QWidget* parent) -> ModeWindow* {
        return new FakeWindow(parent, [&started] { ++started; });
    };
    Shell().RegisterMode(ModeButton::closelookword, std::move(dummy));
    state_.BrowseRunning = 1;
    Shell().Timer1()->start();
    Shell().closelookword->click();
    Settle();

    EXPECT_TRUE(cards.isNull());
    auto* window = dynamic_cast<FakeWindow*>(Shell().SlotWindow(ModeSlot::Lookup));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(Shell().Colour(), Own);
    EXPECT_EQ(state_.BrowseRunning, 0);
    EXPECT_FALSE(Shell().Timer1()->isActive());
    player_.EmitNotify();
    EXPECT_EQ(window->soundEnds, 1);
    Shell().Panel1()->resize(Shell().Panel1()->width() - 30, Shell().Panel1()->height() - 20);
    EXPECT_EQ(window->geometry(), Shell().Panel1()->rect());
}

TEST_F(MainWindowTest, StudyTimeCountdownGoesToTheStatisticsLine) {
    TWordmemory& shell = Shell();
    shell.ShowStudyTime(QStringLiteral("浏览跟读时间余"), "0:14:58");
    EXPECT_EQ(shell.Lbtimecount()->text(), QStringLiteral("浏览跟读时间余0:14:58"));
}

TEST_F(MainWindowTest, EscClosesOnlyWhileTheWindowHasTheKeyboard) {
    QSignalSpy closed(&Shell(), &TWordmemory::FormClosed);
    Shell().show();
    Shell().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Shell()));
    ModeRegistration spelling;
    spelling.slot = ModeSlot::Spelling;
    spelling.create = [](QWidget* parent) -> ModeWindow* {
        auto* window = new FakeWindow(parent, [] {});
        auto* edit = new QLineEdit(window);
        edit->setObjectName(QStringLiteral("Edit1"));
        return window;
    };
    Shell().RegisterMode(ModeButton::SpeedButton9, std::move(spelling));
    Shell().OpenModeWindow(ModeButton::SpeedButton9);
    auto* edit = Shell().SlotWindow(ModeSlot::Spelling)->findChild<QLineEdit*>();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_TRUE(messages_.Texts(MessageRecorder::Kind::AskOkCancel).isEmpty());
    // From the window itself Esc asks first: Cancel keeps the window, OK closes it.
    Shell().setFocus();
    messages_.ScriptAnswers({MessageService::Answer::Cancel});
    QTest::keyClick(&Shell(), Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 0);
    EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::AskOkCancel),
              QStringList{QStringLiteral("退出朗记通吗？")});
    QTest::keyClick(&Shell(), Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(MainWindowTest, HelpNamesVersionLicencesFoldersAndKeys) {
    Shell().show();
    Shell().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Shell()));
    Shell().Bthelp->click();
    QTest::keyClick(&Shell(), Qt::Key_F1);
    const QStringList shown = messages_.Texts(MessageRecorder::Kind::Inform);
    ASSERT_EQ(shown.size(), 2) << "the button and F1 both show the help";
    EXPECT_TRUE(shown[0].contains(QRegularExpression(QStringLiteral("朗记通 \\d+\\.\\d+"))));
    for (const char* part : {"GPL", "ECDICT", "flite", "DejaVu", "Noto", "Alt+", "Esc"}) {
        EXPECT_TRUE(shown[0].contains(QString::fromUtf8(part))) << part;
    }
    EXPECT_TRUE(shown[0].contains(appDir_)) << "where the data lives";
}

TEST_F(MainWindowTest, AFileNamedAtStartIsOfferedAsANewBankAfterSignIn) {
    QTemporaryDir outside;
    const QString file = outside.filePath(QStringLiteral("旅行.csv"));
    ASSERT_TRUE(core::WriteFileAtomic(file.toStdString(), "word,ipa,meaning\nsun,sʌn,n.太阳\n"));
    MakeBank("数字", {"one[wQn]num.一"});
    MakeLearner("Bob", {"old[EUld]adj.旧的"}, {}, {});
    // Declined: nothing is made. Asked only once the learner has signed in.
    Shell().OfferImport(file);
    EXPECT_TRUE(messages_.Messages().isEmpty());
    messages_.ScriptAnswers({MessageService::Answer::Cancel});
    StartWith("Bob", "SbOpen1");
    ASSERT_EQ(messages_.Texts(MessageRecorder::Kind::AskOkCancel).size(), 1);
    EXPECT_TRUE(messages_.Texts(MessageRecorder::Kind::AskOkCancel)
                    .front()
                    .contains(QStringLiteral("旅行.csv")));
    EXPECT_FALSE(QFile::exists(appDir_ + "Worddata/旅行.dst"));
    // Accepted: the word-bank window makes the bank and shows it chosen.
    Shell().OfferImport(file);
    TWordstoreroom1* bank = Shell().Wordstoreroom1();
    ASSERT_NE(bank, nullptr);
    // The file is read on the window's worker.
    ASSERT_TRUE(QTest::qWaitFor([bank] { return bank->ImportProgress == nullptr; }, 20000));
    EXPECT_TRUE(QFile::exists(appDir_ + "Worddata/旅行.dst"));
    EXPECT_TRUE(bank->isVisibleTo(&Shell()));
    EXPECT_EQ(bank->Edit1->text(), QStringLiteral("旅行"));
    EXPECT_TRUE(messages_.Texts(MessageRecorder::Kind::Error).isEmpty());
    EXPECT_TRUE(bank->ChooseFile) << "the window's own file choice is back";
}

TEST_F(MainWindowTest, AltKeysOpenModesFromEitherWindow) {
    MakeLearner("Bob", {"a[eI]art.一", "b[bi:]n.字母"}, {"cat[kAt]n.猫"}, {});
    FakeModes modes;
    modes.RegisterAll(Shell());
    StartWith("Bob", "SbOpen1");
    Shell().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Shell()));
    // A button's Alt key clicks it a moment later, as a click with the mouse looks.
    QTest::keyClick(&Shell(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(
        QTest::qWaitFor([&modes] { return modes.started[ModeButton::BtSelectTest1] == 1; }));
    // The study-content window is a window of its own.
    TWordForm1* content = Shell().WordForm1();
    content->show();
    content->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(content));
    QTest::keyClick(content, Qt::Key_W, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&modes] { return modes.started[ModeButton::SpeedButton9] == 1; }));
}

TEST_F(MainWindowTest, ModeButtonTextReadsOnBothBackgrounds) {
    for (const QColor& back : {CardModeColour, StudyModeColour}) {
        Shell().SetColour(back);
        for (QPushButton* button :
             {Shell().Btfollow, Shell().SpeedButton1, Shell().SpeedButton11, Shell().Bthelp}) {
            const QColor text = button->palette().color(QPalette::ButtonText);
            EXPECT_GE(ContrastRatio(text, back), 4.5)
                << button->objectName().toStdString() << " on " << back.name().toStdString();
        }
    }
}

TEST_F(MainWindowTest, GeneralErrorDisplayShowsTheTextAndGoesOn) {
    bool after = false;
    QTimer::singleShot(0, [] { throw std::runtime_error("设备打不开: br/g/good0001.wav"); });
    QTimer::singleShot(1, [&after] { after = true; });
    QTRY_VERIFY(after);
    EXPECT_EQ(messages_.Texts(MessageRecorder::Kind::Error),
              QStringList{QStringLiteral("设备打不开: br/g/good0001.wav")});
}

} // namespace
