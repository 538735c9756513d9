// Soak helper: the whole program on a program folder, driven by seeded random actions until
// its time is up or a signal ends it. It signs the learner in, then presses mode buttons,
// clicks the buttons of the windows shown, types into their line edits, looks words up,
// records, imports word files into the learner's lists and exports them, and chooses study
// content, the timers of the windows running as they do for a learner. Every action is
// printed ("action N <what>"), every state of the lists ("lists <digest>", see
// listdigest.h), every save that succeeded ("saved <digest>"), the end of the warm-up
// ("warm"), and the heap in use ("memory <kB>") after the sign-in, after the
// warm-up and every two seconds.
//   soak_helper <program folder> <learner> <seed> <seconds>
//
// Sound goes through the real players and speech, as in the program: on a sound server
// (the private PulseAudio of the test scripts) words are spoken and recordings are made;
// without one the sound failures are reported once and the study goes on. The draws are the
// same for a seed; what they meet depends on how far the sound and the timers have got, so a
// seed repeats a run closely, not exactly. The windows' timers are not fired by hand: they
// run, and the pauses between the actions (some of them seconds long) let recordings, browse
// steps and reveals run their course.
//
// Left out are the actions that drop words on purpose, and every modal file dialog:
// "加到词库" (the bank replaces the new words), "清空词库", "恢复备份" (a backup replaces the
// lists, through a modal list of backups) and "导入词库" (a file dialog, and it makes a bank,
// not a list). "导入生词" and "导出单词" run with the window's file chooser answered by this
// program instead of the file dialog, besides the direct import and export below.
#include "listdigest.h"

#include "app/sessionguard.h"
#include "app/wordmemory.h"
#include "core/clock.h"
#include "core/learnerfiles.h"
#include "core/random.h"
#include "core/studystate.h"
#include "core/wordentry.h"
#include "core/wordexchange.h"
#include "exchange/kvtml.h"
#include "exchange/wordfiles.h"
#include "host/application.h"
#include "host/fonts.h"
#include "host/messageservice.h"
#include "learner/wordform.h"
#include "learner/wordfriend.h"
#include "learner/wordstoreroom.h"
#include "modes/registry.h"
#include "modes/wordsentenceforrm.h"
#include "sound/qtmediaplayer.h"
#include "sound/voice.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QTimer>
#include <array>
#include <cstdio>
#include <malloc.h>
#include <random>
#include <set>
#include <string>
#include <unistd.h>

namespace {

void Say(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t put = ::write(1, text.data(), text.size());
}

/// The memory the program's allocations hold (malloc's blocks in use, mapped ones included, over
/// every arena). Not the resident pages: memory freed on a worker (the lookup window's index,
/// tens of megabytes, freed when it closes) can stay resident beside the few blocks still in
/// use on the same pages, by the timing of the run, which is no growth.
long HeapInUseKb() {
    const struct mallinfo2 heap = ::mallinfo2();
    return static_cast<long>((heap.uordblks + heap.hblkhd) / 1024);
}

/// Messages are printed instead of shown, so that nothing waits for a click; a question is
/// answered at random (from the seeded source).
class PrintedMessages : public MessageService {
public:
    explicit PrintedMessages(std::mt19937& random) : random_(random) {}
    void Inform(const QString& text) override { Say("message " + OneLine(text)); }
    Answer AskOkCancel(const QString&, const QString& text) override {
        const Answer answer = random_() % 2 == 0 ? Answer::Ok : Answer::Cancel;
        Say("question " + OneLine(text) + (answer == Answer::Ok ? " -> ok" : " -> cancel"));
        return answer;
    }
    void ShowError(const QString& text) override { Say("error " + OneLine(text)); }

private:
    static std::string OneLine(QString text) {
        return text.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '))
            .toStdString();
    }
    std::mt19937& random_;
};

/// Buttons that drop words on purpose or open a modal window of their own.
const std::set<QString> Excluded = {
    QStringLiteral("gomywordbook"),
    QStringLiteral("newMywordbook"),
    QStringLiteral("restoreBackup"),
    QStringLiteral("importBank"),
};

constexpr std::array AllModeButtons = {
    ModeButton::Btfollow,      ModeButton::btrecordword,  ModeButton::lookword,
    ModeButton::closelookword, ModeButton::SpeedButton9,  ModeButton::BtSelectTest1,
    ModeButton::SpeedButton12, ModeButton::SpeedButton13, ModeButton::SpeedButton1,
    ModeButton::SpeedButton14,
};

class Soak {
public:
    Soak(TWordmemory& window, core::StudyState& state, std::uint32_t seed, std::mt19937& random,
         QString workDir)
        : window_(window), state_(state), seed_(seed), random_(random),
          workDir_(std::move(workDir)) {}

    /// Nothing here should wait for a click: a modal window is reported and closed. True
    /// when there was one.
    static bool CloseModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            return false;
        }
        Say(std::string("modal ") + modal->metaObject()->className());
        if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        } else {
            modal->close();
        }
        return true;
    }

    /// One random action; the next follows after a random pause.
    void Step() {
        if (CloseModal()) {
            return;
        }
        const unsigned roll = Below(100);
        if (roll < 12) {
            PressModeButton();
        } else if (roll < 55) {
            ClickButton();
        } else if (roll < 70) {
            TypeIntoLineEdit();
        } else if (roll < 76) {
            LookUp();
        } else if (roll < 79) {
            ImportWords();
        } else if (roll < 82) {
            ExportWords();
        } else if (roll < 87) {
            ChooseContent();
        } else if (roll < 88) {
            Act("restore sound", [&] { window_.SpeedButton11->click(); });
        } else {
            Act("wait", [] {});
        }
    }

    /// The warm-up, one step a call until it returns false: every window is opened and used
    /// once (they live on once made), a word is looked up, words are imported and exported,
    /// so that the memory measured after it is the memory of the whole program.
    bool WarmUp() {
        if (CloseModal()) {
            return true;
        }
        const int step = warmUpStep_++;
        const int modes = static_cast<int>(AllModeButtons.size());
        if (step < 2 * modes) {
            if (step % 2 == 0) {
                QPushButton* button = window_.Button(AllModeButtons[step / 2]);
                if (button != nullptr && Usable(button)) {
                    Act("warm-up mode " + NameOf(button).toStdString(), [&] { button->click(); });
                    return true;
                }
            }
            ClickButton();
            return true;
        }
        switch (step - 2 * modes) {
        case 0:
        case 1:
            LookUp();
            return true;
        // Each format read and written once: the first file of a format has first uses of its
        // own (the XML reader and writer of KVTML), which belong to the warm-up.
        case 2:
        case 3:
        case 4:
            ImportWords(step - 2 * modes - 2);
            return true;
        case 5:
        case 6:
        case 7:
            ExportWords(step - 2 * modes - 5);
            return true;
        case 8:
            ImportInWindow();
            return true;
        case 9:
            // A lesson's sound comes in its own format: its first play belongs to the
            // warm-up like the first word's.
            if (QPushButton* lessons = window_.Button(ModeButton::SpeedButton1);
                lessons != nullptr && Usable(lessons)) {
                Act("warm-up mode " + NameOf(lessons).toStdString(), [&] { lessons->click(); });
            }
            return true;
        case 10:
            ClickNamed(QStringLiteral("Symbol1"));
            return true;
        default:
            return false;
        }
    }

    /// The pause before the next action: mostly quick, sometimes long enough for a
    /// recording, a browse step or a timer of a window to run its course.
    int NextPause() {
        const unsigned roll = Below(100);
        if (roll < 70) {
            return 10 + static_cast<int>(Below(120));
        }
        if (roll < 95) {
            return 150 + static_cast<int>(Below(900));
        }
        return 1000 + static_cast<int>(Below(3000));
    }

private:
    unsigned Below(unsigned n) { return n == 0 ? 0 : static_cast<unsigned>(random_() % n); }

    template <typename F> void Act(const std::string& what, F&& action) {
        Say("action " + std::to_string(++actions_) + " " + what);
        action();
    }

    static bool Usable(const QWidget* w) { return w->isEnabled() && w->isVisible(); }

    /// The windows a learner sees now: the mode window in the client panel and the
    /// word-bank and study-content windows when they are open.
    std::vector<QWidget*> ShownWindows() const {
        std::vector<QWidget*> shown;
        for (QWidget* child :
             window_.Panel1()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (child->isVisible() && !child->findChildren<QAbstractButton*>().isEmpty()) {
                shown.push_back(child);
            }
        }
        if (TWordstoreroom1* bank = window_.Wordstoreroom1();
            bank != nullptr && bank->isVisible()) {
            shown.push_back(bank);
        }
        if (window_.WordForm1() != nullptr && window_.WordForm1()->isVisible()) {
            shown.push_back(window_.WordForm1());
        }
        return shown;
    }

    /// Mostly the mode window in the client panel: the word-bank and study-content windows
    /// stay open beside it and would otherwise take half of the clicks.
    QWidget* AnyShownWindow() {
        const std::vector<QWidget*> shown = ShownWindows();
        if (shown.empty()) {
            return nullptr;
        }
        const bool panelShown = window_.Panel1()->isAncestorOf(shown.front());
        if (panelShown && Below(4) != 0) {
            return shown.front();
        }
        return shown[Below(static_cast<unsigned>(shown.size()))];
    }

    /// The buttons that close their window: taken less often, so that the modes get studied.
    static bool Closes(const QAbstractButton* button) {
        static const std::set<QString> names = {
            QStringLiteral("Formclose1"), QStringLiteral("BtcloseForm1"),
            QStringLiteral("closefrom1"), QStringLiteral("HideButton")};
        return names.contains(button->objectName());
    }

    static QString NameOf(const QAbstractButton* button) {
        const QString name = button->objectName();
        return name.isEmpty() ? button->text().simplified() : name;
    }

    void PressModeButton() {
        const ModeButton which = AllModeButtons[Below(AllModeButtons.size())];
        QPushButton* button = window_.Button(which);
        if (button == nullptr || !Usable(button)) {
            Act("mode button (disabled)", [] {});
            return;
        }
        Act("mode " + NameOf(button).toStdString(), [&] { button->click(); });
    }

    /// Clicks the usable button of that name in the windows shown, if there is one.
    void ClickNamed(const QString& name) {
        for (QWidget* shown : ShownWindows()) {
            auto* button = shown->findChild<QAbstractButton*>(name);
            if (button != nullptr && Usable(button)) {
                Act(std::string("click ") + shown->metaObject()->className() + " " +
                        name.toStdString(),
                    [&] { button->click(); });
                return;
            }
        }
    }

    void ClickButton() {
        QWidget* shown = AnyShownWindow();
        if (shown == nullptr) {
            PressModeButton();
            return;
        }
        std::vector<QAbstractButton*> buttons;
        for (QAbstractButton* b : shown->findChildren<QAbstractButton*>()) {
            if (Usable(b) && !Excluded.contains(b->objectName())) {
                buttons.push_back(b);
            }
        }
        if (buttons.empty()) {
            Act(std::string("no button in ") + shown->metaObject()->className(), [] {});
            return;
        }
        AnswerFileChooser();
        QAbstractButton* button = buttons[Below(static_cast<unsigned>(buttons.size()))];
        for (int again = 0; again < 3 && Closes(button); ++again) {
            button = buttons[Below(static_cast<unsigned>(buttons.size()))];
        }
        Act(std::string("click ") + shown->metaObject()->className() + " " +
                NameOf(button).toStdString(),
            [&] { button->click(); });
    }

    /// Random text, or the word studied now, as a learner would type it.
    QString SomeText() {
        switch (Below(6)) {
        case 0:
        case 1:
            return QString::fromStdString(core::EntryWord(state_.CurrentEntry));
        case 2:
            return QString::fromStdString(core::EntryWord(RandomListedLine()));
        case 3:
            return QString();
        case 4:
            return QStringLiteral("单词 %1").arg(Below(1000));
        default: {
            QString text;
            const unsigned length = 1 + Below(12);
            for (unsigned i = 0; i < length; ++i) {
                text += QChar(static_cast<char16_t>(u'a' + Below(26)));
            }
            return text;
        }
        }
    }

    std::string RandomListedLine() {
        const std::array<const core::WordList*, 3> lists = {&state_.NewList, &state_.MasteredList,
                                                            &state_.ReviewList};
        const core::WordList& list = *lists[Below(3)];
        if (list.empty()) {
            return {};
        }
        return list.Lines()[Below(static_cast<unsigned>(list.size()))];
    }

    static void PressEnter(QWidget* target) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &release);
    }

    void TypeIntoLineEdit() {
        std::vector<QLineEdit*> edits;
        for (QWidget* shown : ShownWindows()) {
            for (QLineEdit* edit : shown->findChildren<QLineEdit*>()) {
                if (Usable(edit) && !edit->isReadOnly()) {
                    edits.push_back(edit);
                }
            }
        }
        if (edits.empty()) {
            ClickButton();
            return;
        }
        QLineEdit* edit = edits[Below(static_cast<unsigned>(edits.size()))];
        const QString text = SomeText();
        const bool enter = Below(4) != 0;
        Act("type " + edit->objectName().toStdString() + " \"" + text.toStdString() + "\"" +
                (enter ? " enter" : ""),
            [&] {
                edit->setFocus();
                edit->setText(text);
                if (enter) {
                    PressEnter(edit);
                }
            });
    }

    void LookUp() {
        QWidget* lookup = window_.SlotWindow(ModeSlot::Lookup);
        if (lookup == nullptr || !lookup->isVisible()) {
            QPushButton* open = window_.Button(ModeButton::closelookword);
            if (open != nullptr && Usable(open)) {
                Act("mode closelookword (to look up)", [&] { open->click(); });
            } else {
                Act("lookup (window not available)", [] {});
            }
            return;
        }
        auto* edit = lookup->findChild<QLineEdit*>(QStringLiteral("Edit1"));
        if (edit == nullptr || !Usable(edit)) {
            Act("lookup (no query field)", [] {});
            return;
        }
        const QString text = Below(3) == 0
                                 ? SomeText()
                                 : QString::fromStdString(core::EntryWord(RandomListedLine()));
        Act("lookup \"" + text.toStdString() + "\"", [&] {
            edit->setText(text);
            PressEnter(edit);
        });
    }

    /// A word file of the format (0 CSV, 1 Anki text, 2 KVTML; a random one when -1): words
    /// already listed, and words made for this run, some of them twice.
    QString WriteWordFile(int chosen = -1) {
        const unsigned format = chosen >= 0 ? static_cast<unsigned>(chosen) : Below(3);
        const QString path = workDir_ + QStringLiteral("/import-%1.%2")
                                            .arg(actions_)
                                            .arg(format == 0   ? QStringLiteral("csv")
                                                 : format == 1 ? QStringLiteral("txt")
                                                               : QStringLiteral("kvtml"));
        std::vector<core::ExchangeWord> words;
        const unsigned count = 1 + Below(8);
        for (unsigned i = 0; i < count; ++i) {
            core::ExchangeWord word;
            if (Below(3) == 0) {
                const std::string line = RandomListedLine();
                if (line.empty()) {
                    continue;
                }
                word.word = core::EntryWord(line);
                word.ipa = core::EntryPhonetic(line);
                word.meaning = core::EntryMeaning(line);
            } else {
                word.word = "soak" + std::to_string(seed_) + "x" + std::to_string(Below(400));
                word.meaning = "浸泡测试词" + std::to_string(i);
            }
            words.push_back(word);
        }
        if (words.empty()) {
            return {};
        }
        const std::vector<core::ExchangeGroup> groups = {{core::ExchangeList::New, words}};
        const QByteArray bytes = format == 0 ? QByteArray::fromStdString(core::WriteCsv(groups))
                                 : format == 1
                                     ? QByteArray::fromStdString(core::WriteAnkiText(groups))
                                     : exchange::WriteKvtml(groups, QStringLiteral("soak"));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() ||
            !file.commit()) {
            return {};
        }
        return path;
    }

    /// The path of "导入生词": the project's reader, the lists' import and a save; a new file
    /// of the format when one is given (see WriteWordFile).
    void ImportWords(int format = -1) {
        // Every other import takes back a file this run exported: all its words are listed.
        const QString path = format < 0 && !lastExport_.isEmpty() && Below(3) == 0
                                 ? lastExport_
                                 : WriteWordFile(format);
        if (path.isEmpty()) {
            Act("import (no file)", [] {});
            return;
        }
        Act("import " + QFileInfo(path).fileName().toStdString(), [&] {
            core::ImportedEntries entries;
            if (const core::Status read = exchange::ImportWordFile(path, entries); !read) {
                Say("import failed");
                return;
            }
            const core::StudyState::ImportCount count = state_.AddImportedWords(entries.lines);
            Say("imported " + std::to_string(count.added) + " of " +
                std::to_string(entries.lines.size()));
            if (window_.WordForm1()->MYSaveClick()) {
                Say("saved " + soak::ListDigest(state_));
            }
        });
    }

    /// "导入生词" in the word-bank window, waited for to its end: the window reads on a worker
    /// of its own, made by its first import.
    void ImportInWindow() {
        TWordstoreroom1* bank = window_.Wordstoreroom1();
        if (bank == nullptr) {
            Act("window import (no window)", [] {});
            return;
        }
        AnswerFileChooser();
        Act("window import", [bank] {
            bank->importWords->click();
            QDeadlineTimer deadline(10000);
            while (bank->ImportProgress != nullptr && !deadline.hasExpired()) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            }
        });
    }

    /// An export of some of the lists, in the format (as WriteWordFile's) or a random one.
    void ExportWords(int chosen = -1) {
        using core::ExchangeList;
        static const std::vector<ExchangeList> choices[] = {
            {ExchangeList::New, ExchangeList::Mastered, ExchangeList::Review},
            {ExchangeList::New},
            {ExchangeList::Mastered},
            {ExchangeList::Review},
        };
        const unsigned format = chosen >= 0 ? static_cast<unsigned>(chosen) : Below(3);
        const QString path = workDir_ + QStringLiteral("/export.%1")
                                            .arg(format == 0   ? QStringLiteral("csv")
                                                 : format == 1 ? QStringLiteral("txt")
                                                               : QStringLiteral("kvtml"));
        const auto& lists = choices[Below(4)];
        Act("export " + QFileInfo(path).fileName().toStdString(), [&] {
            const exchange::ExportResult result =
                exchange::ExportLists(state_, lists, *exchange::FormatOfPath(path), path);
            Say("exported " + std::to_string(result.words) + (result.status ? "" : " failed"));
            if (result.status && result.words > 0) {
                lastExport_ = path;
            }
        });
    }

    /// The study-content window: a kind chosen, then confirmed or the window closed.
    void ChooseContent() {
        TWordForm1* form = window_.WordForm1();
        if (form == nullptr || !form->isVisible()) {
            QPushButton* open = window_.Button(ModeButton::SpeedButton13);
            if (open != nullptr && Usable(open)) {
                Act("mode SpeedButton13 (to choose content)", [&] { open->click(); });
            } else {
                Act("content (window not available)", [] {});
            }
            return;
        }
        const std::array<QRadioButton*, 3> kinds = {form->RadioButton1, form->RadioButton2,
                                                    form->RadioButton3};
        QRadioButton* kind = kinds[Below(3)];
        const bool confirm = Below(4) != 0;
        Act("content " + kind->text().toStdString() + (confirm ? " confirmed" : " closed"), [&] {
            for (QComboBox* box : form->findChildren<QComboBox*>()) {
                if (box->count() > 0 && Below(2) == 0) {
                    box->setCurrentIndex(static_cast<int>(Below(box->count())));
                }
            }
            if (Usable(kind)) {
                kind->click();
            }
            (confirm ? form->Btlookwordlist : form->SpeedButton1)->click();
        });
    }

    /// The word-bank window's file chooser answers with a file of this run instead of the
    /// modal dialog.
    void AnswerFileChooser() {
        TWordstoreroom1* bank = window_.Wordstoreroom1();
        if (bank == nullptr || bank == answered_) {
            return;
        }
        answered_ = bank;
        bank->ChooseFile = [this](bool save, const QString&) {
            if (save) {
                const QString path = workDir_ + QStringLiteral("/bank-export.csv");
                lastExport_ = path;
                return path;
            }
            return !lastExport_.isEmpty() && Below(2) == 0 ? lastExport_ : WriteWordFile();
        };
    }

    TWordmemory& window_;
    core::StudyState& state_;
    std::uint32_t seed_;
    std::mt19937& random_;
    QString workDir_;
    QString lastExport_;
    TWordstoreroom1* answered_ = nullptr;
    long long actions_ = 0;
    int warmUpStep_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: soak_helper <program folder> <learner> <seed> <seconds>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application app(argc, argv);
    app.setApplicationName(QStringLiteral("langjitong"));
    QString folder = QString::fromLocal8Bit(argv[1]);
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    const QString learner = QString::fromLocal8Bit(argv[2]);
    const auto seed = static_cast<std::uint32_t>(std::strtoul(argv[3], nullptr, 10));
    const int seconds = std::atoi(argv[4]);
    // A program folder without the learner (the memory benchmark's) gets the learner with
    // empty lists: the warm-up imports words into them.
    if (!core::LearnerKnown(folder.toStdString(), learner.toStdString())) {
        if (!core::CreateLearnerFiles(folder.toStdString(), learner.toStdString())) {
            Say("error the learner's files could not be made");
            return 1;
        }
    }
    const QString workDir = folder + QStringLiteral("soak-files");
    QDir().mkpath(workDir);
    InstallFontSubstitutes();

    std::mt19937 random(seed);
    core::StudyState state;
    core::SystemClock clock;
    PrintedMessages messages(random);
    app.SetMessages(&messages);
    core::SeededRandom modeRandom(seed);
    sound::Voice voice;
    sound::QtMediaPlayer mediaPlayer;

    ShellServices services(state, clock, messages);
    services.voice = &voice;
    services.mediaPlayer = &mediaPlayer;
    services.random = &modeRandom;
    services.appDir = folder;
    services.signIn.playVideo = false;
    // Saves come every second and a half instead of every minute, so that the ends of the
    // runs fall into saves as often as between them.
    services.autosaveMs = 1500;
    services.afterFirstFrame = [&voice, folder] {
        voice.Register();
        return InstallPhoneticFont(folder);
    };
    TWordmemory window(services);
    QObject::connect(
        &voice, &sound::Voice::SpeechFailed, &window,
        [&window](const core::Status& failure) { window.ReportSoundFailure(failure); });
    RegisterModeWindows(window);
    QObject::connect(&window, &TWordmemory::FormClosed, &app, &QCoreApplication::quit);
    // Every state the lists go through is printed before a save can write it, and what a
    // save wrote once it has: the checker finds the lists on disk among them. Before the lists
    // are loaded a save has nothing to write (the signal says so too), and the empty lists in
    // memory are not what the disk holds.
    QObject::connect(&window, &TWordmemory::ListsSaved, [&state] {
        if (state.ListLoaded(1)) {
            Say("saved " + soak::ListDigest(state));
        }
    });
    state.OnListsChanged = [autosave = state.OnListsChanged, &state] {
        autosave();
        Say("lists " + soak::ListDigest(state));
    };
    SessionGuard guard(window);

    QTimer signIn;
    signIn.setInterval(5);
    QObject::connect(&signIn, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<Twordfriend*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->Ready()) {
            signIn.stop();
            dialog->Edit1->setText(learner);
            dialog->SbOpen1->click();
        }
    });
    signIn.start();

    Soak soak(window, state, seed, random, workDir);
    QTimer actions;
    actions.setSingleShot(true);
    bool signedIn = false;
    bool warming = true;
    bool dropWord = !qEnvironmentVariableIsEmpty("LJT_SOAK_DROP_WORD");
    QObject::connect(&actions, &QTimer::timeout, [&] {
        if (!window.isVisible()) {
            return;
        }
        if (!signedIn) {
            if (!window.Started() || !state.ListLoaded(1)) {
                actions.start(10);
                return;
            }
            signedIn = true;
            Say("signed-in " + std::to_string(state.NewList.size()) + "/" +
                std::to_string(state.MasteredList.size()) + "/" +
                std::to_string(state.ReviewList.size()) + " " + soak::ListDigest(state));
            Say("memory " + std::to_string(HeapInUseKb()));
        }
        if (dropWord) {
            // The checker's own check: a helper that loses a word must make it fail.
            dropWord = false;
            if (!state.NewList.empty()) {
                Say("dropping " + state.NewList.Lines().front());
                state.RemoveFromNew(0);
                if (!window.SaveLists(TWordmemory::SaveReport::Quiet)) {
                    Say("error the dropped word's save failed");
                }
            }
        }
        if (warming) {
            warming = soak.WarmUp();
            if (!warming) {
                Say("warm");
                Say("memory " + std::to_string(HeapInUseKb()));
            }
            actions.start(warming ? 300 : soak.NextPause());
            return;
        }
        soak.Step();
        actions.start(soak.NextPause());
    });
    actions.start(10);

    QTimer memory;
    memory.setInterval(2000);
    QObject::connect(&memory, &QTimer::timeout, [] {
        // The lookup window holds its corpus while it is open, tens of
        // megabytes by design: figures are taken while it is closed, so that
        // a run that ends in a lookup does not read as growth.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            for (auto* lookup : w->findChildren<TWordSentenceForrm*>()) {
                if (lookup->isVisible()) {
                    return;
                }
            }
        }
        Say("memory " + std::to_string(HeapInUseKb()));
    });
    memory.start();

    // Time is up: the window closes as the learner closes it, which saves.
    QTimer::singleShot(seconds * 1000, &window, [&] {
        Say("time up");
        window.close();
    });

    window.resize(1000, 700);
    window.show();
    const int result = Application::exec();
    app.SetMessages(nullptr);
    Say("memory " + std::to_string(HeapInUseKb()));
    Say("ended");
    return result;
}
