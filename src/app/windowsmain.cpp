// 朗记通: the windows, a module of their own that the program opens when it is not run for a
// command, so that the commands load no GUI library.
#include "app/windowsmain.h"

#include "app/commandline.h"
#include "app/sessionguard.h"
#include "app/wordmemory.h"
#include "core/clock.h"
#include "core/startupmark.h"
#include "core/studystate.h"
#include "host/application.h"
#include "host/boxmessageservice.h"
#include "host/errortext.h"
#include "host/folders.h"
#include "host/fonts.h"
#include "host/qttranslations.h"
#include "modes/registry.h"
#include "sound/lazyplayer.h"
#include "sound/lazyvoice.h"
#include "sound/outputvolume.h"

#include <QFileInfo>
#include <QIcon>
#include <QScreen>
#include <QTextStream>

extern "C" __attribute__((visibility("default"))) int ljt_windows_main(int* argc, char** argv) {
    Application app(*argc, argv);
    app.setApplicationName(QStringLiteral("langjitong"));
    core::StartupMark("application");
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

    core::StudyState state;
    core::SystemClock clock;
    BoxMessageService messages;
    app.SetMessages(&messages);

    // The speech object lives for the whole run; an engine that cannot start is reported once
    // and the program goes on without speech. The sound engine (Qt Multimedia, eSpeak NG) is
    // loaded right after the sign-in window's first frame, for its video, and the speech
    // engine and the word player are made then (or at the first word, should that come first).
    sound::OutputVolume& volume = sound::OutputVolume::Instance();
    sound::LazyVoice voice(nullptr, &volume);
    QObject::connect(
        &voice, &sound::SpeechVoice::EngineFailed, &app,
        [&messages](const core::Status& failure) { messages.ShowError(ErrorText(failure)); });
    sound::LazyPlayer mediaPlayer(nullptr, &volume);

    ShellServices services{state, clock, messages};
    services.voice = &voice;
    services.mediaPlayer = &mediaPlayer;
    services.appDir = folders.dataDir;
    services.learnerDir = folders.learnerDir;
    services.signIn.videoFile = WelcomeVideo(folders);
    services.afterFirstFrame = [&voice, &mediaPlayer, dataDir = folders.dataDir] {
        // Looking the icon up in the icon themes takes longer than drawing the sign-in window:
        // the window and the task bar take it a moment later.
        QGuiApplication::setWindowIcon(
            QIcon::fromTheme(QStringLiteral(LJT_APP_ID), QIcon(dataDir + "langjitong.png")));
        voice.Register();
        // A player that cannot be made now fails again, and is reported, at the first word.
        mediaPlayer.Load();
        core::StartupMark("sound ready");
        return InstallPhoneticFont(dataDir);
    };
    services.readVolume = [&volume] { return volume.Get(); };
    services.writeVolume = [&volume](std::uint32_t value) { volume.Set(value); };

    services.buildBehindSignIn = true;
    TWordmemory window(services);
    // Speech that cannot reach the sound output is reported like the players' device
    // failures: once in the run, not for every word.
    QObject::connect(
        &voice, &sound::SpeechVoice::SpeechFailed, &window,
        [&window](const core::Status& failure) { window.ReportSoundFailure(failure); });
    // The mode windows plug into their buttons here, through window.RegisterMode, before the
    // window is first shown.
    RegisterModeWindows(window);
    core::StartupMark("modes registered");
    if (!wordFile.isEmpty()) {
        window.OfferImport(QFileInfo(wordFile).absoluteFilePath());
    }
    QObject::connect(&window, &TWordmemory::FormClosed, &app, &QCoreApplication::quit);
    core::StartupMark("main window");
    // Logout, SIGTERM, SIGHUP and Ctrl-C end the program through the window's close, which
    // saves the lists.
    SessionGuard guard(window);
    // Frameless windows are not maximised by every window manager (nor without one): the
    // window takes the screen's working area itself as well.
    window.setGeometry(window.screen()->availableGeometry());
    window.showMaximized();
    core::StartupMark("shown");
    const int result = Application::exec();
    app.SetMessages(nullptr);
    return result;
}
