// 朗记通: program entry.
#include "app/commandline.h"
#include "app/sessionguard.h"
#include "app/wordmemory.h"
#include "core/clock.h"
#include "core/studystate.h"
#include "host/application.h"
#include "host/boxmessageservice.h"
#include "host/errortext.h"
#include "host/folders.h"
#include "host/fonts.h"
#include "host/qttranslations.h"
#include "modes/registry.h"
#include "sound/outputvolume.h"
#include "sound/qtmediaplayer.h"
#include "sound/voice.h"

#include <QFileInfo>
#include <QIcon>
#include <QScreen>
#include <QTextStream>

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    // Commands for scripts run without windows, so that they work without a display.
    if (WantsCommand(arguments)) {
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("langjitong"));
        QTextStream out(stdout);
        QTextStream err(stderr);
        return RunCommand(QCoreApplication::arguments(), RunFolders(), out, err);
    }

    Application app(argc, argv);
    app.setApplicationName(QStringLiteral("langjitong"));
    // What Qt leaves of the arguments: at most one word file, to be offered for import.
    QString wordFile;
    {
        QTextStream err(stderr);
        if (const int wrong = ReadWindowArguments(QCoreApplication::arguments(), wordFile, err)) {
            return wrong;
        }
    }
    // The menu entry's name: docks and task bars group the window with it (Wayland's app id;
    // on X11 the desktop file names the window class in StartupWMClass).
    QGuiApplication::setDesktopFileName(QStringLiteral(LJT_APP_ID));
    InstallQtTranslations(QLocale::system());
    // Run from its own writable folder the program keeps everything there; installed, it
    // reads the installed data and writes to the learner data folder.
    const ProgramFolders folders = RunFolders();
    // The typefaces the windows name are mapped at once; the phonetic font is registered
    // after the sign-in window's first frame, which has no phonetics.
    InstallFontSubstitutes();
    QGuiApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral(LJT_APP_ID), QIcon(folders.dataDir + "langjitong.png")));

    core::StudyState state;
    core::SystemClock clock;
    BoxMessageService messages;
    app.SetMessages(&messages);

    // The speech object lives for the whole run; an engine that cannot start is reported once
    // and the program goes on without speech. The engine starts right after the sign-in
    // window's first frame (or at the first word spoken, should that come first).
    sound::Voice voice;
    QObject::connect(
        &voice, &sound::Voice::EngineFailed, &app,
        [&messages](const core::Status& failure) { messages.ShowError(ErrorText(failure)); });
    sound::QtMediaPlayer mediaPlayer;
    sound::OutputVolume& volume = sound::OutputVolume::Instance();

    ShellServices services{state, clock, messages};
    services.voice = &voice;
    services.mediaPlayer = &mediaPlayer;
    services.appDir = folders.dataDir;
    services.learnerDir = folders.learnerDir;
    services.signIn.videoFile = WelcomeVideo(folders);
    services.afterFirstFrame = [&voice, dataDir = folders.dataDir] {
        voice.Register();
        return InstallPhoneticFont(dataDir);
    };
    services.readVolume = [&volume] { return volume.Get(); };
    services.writeVolume = [&volume](std::uint32_t value) { volume.Set(value); };

    TWordmemory window(services);
    // Speech that cannot reach the sound output is reported like the players' device
    // failures: once in the run, not for every word.
    QObject::connect(
        &voice, &sound::Voice::SpeechFailed, &window,
        [&window](const core::Status& failure) { window.ReportSoundFailure(failure); });
    // The mode windows plug into their buttons here, through window.RegisterMode, before the
    // window is first shown.
    RegisterModeWindows(window);
    if (!wordFile.isEmpty()) {
        window.OfferImport(QFileInfo(wordFile).absoluteFilePath());
    }
    QObject::connect(&window, &TWordmemory::FormClosed, &app, &QCoreApplication::quit);
    // Logout, SIGTERM, SIGHUP and Ctrl-C end the program through the window's close, which
    // saves the lists.
    SessionGuard guard(window);
    // Frameless windows are not maximised by every window manager (nor without one): the
    // window takes the screen's working area itself as well.
    window.setGeometry(window.screen()->availableGeometry());
    window.showMaximized();
    const int result = Application::exec();
    app.SetMessages(nullptr);
    return result;
}
