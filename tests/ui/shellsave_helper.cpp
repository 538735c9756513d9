// Kill-harness helper for the main window: signs a learner in, studies one word every few
// milliseconds and lets the periodic save run; SIGTERM, SIGHUP and SIGINT reach the window
// through the same guard as in the program. Writes "changed N" after study step N and
// "saved N" after every save that succeeded, each on a line of its own.
//   shellsave_helper <program folder> <learner> <base> <periodic save in ms>
#include "../core/growinglists.h"
#include "app/sessionguard.h"
#include "app/wordmemory.h"
#include "core/clock.h"
#include "core/studystate.h"
#include "host/application.h"
#include "host/messageservice.h"
#include "learner/wordfriend.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void Say(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] const ssize_t put = ::write(1, text.data(), text.size());
}

/// Messages are written out instead of shown, so that nothing waits for a click.
class PrintedMessages : public MessageService {
public:
    void Inform(const QString& text) override { Say("message " + text.toStdString()); }
    Answer AskOkCancel(const QString&, const QString& text) override {
        Say("message " + text.toStdString());
        return Answer::Ok;
    }
    void ShowError(const QString& text) override { Say("error " + text.toStdString()); }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: shellsave_helper <program folder> <learner> <base> <ms>\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Application app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString learner = QString::fromLocal8Bit(argv[2]);
    const long long base = std::atoll(argv[3]);

    core::StudyState state;
    core::SystemClock clock;
    PrintedMessages messages;
    ShellServices services(state, clock, messages);
    services.appDir = folder;
    services.signIn.playVideo = false;
    services.autosaveMs = std::atoi(argv[4]);
    TWordmemory window(services);
    SessionGuard guard(window);
    QObject::connect(&window, &TWordmemory::FormClosed, &app, &QCoreApplication::quit);

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

    long long step = -1;
    QTimer study;
    study.setInterval(3);
    QObject::connect(&study, &QTimer::timeout, [&] {
        // Study starts once the lists are loaded (the timer may tick while the sign-in window
        // ends) and stops once the window has closed.
        if (!window.Started() || !state.ListLoaded(1) || !window.isVisible()) {
            return;
        }
        if (step < 0) {
            step = harness::StepOf(
                {state.NewList.Lines(), state.MasteredList.Lines(), state.ReviewList.Lines()},
                base);
            if (step < 0) {
                Say("inconsistent " + std::to_string(state.NewList.size()) + "/" +
                    std::to_string(state.MasteredList.size()) + "/" +
                    std::to_string(state.ReviewList.size()));
                QCoreApplication::exit(4);
                return;
            }
            Say("signed-in " + std::to_string(step));
        }
        // Word `step` leaves the front of the new words for the mastered (even) or the
        // review list (odd); two new words arrive.
        state.ContentKind = core::StudyContent::NewWords;
        state.WordCursor = 0;
        state.FetchEntry();
        if (step % 2 == 0) {
            state.AddToMastered();
        } else {
            state.AddToReview();
        }
        state.RemoveFromNew(0);
        ++step;
        state.NewList.Append(harness::Word(base + 2 * step - 2));
        state.NewList.Append(harness::Word(base + 2 * step - 1));
        Say("changed " + std::to_string(step));
    });
    study.start();
    QObject::connect(&window, &TWordmemory::ListsSaved, [&] {
        if (step >= 0) {
            Say("saved " + std::to_string(step));
        }
    });

    window.show();
    return Application::exec();
}
