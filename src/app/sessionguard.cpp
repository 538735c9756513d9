#include "app/sessionguard.h"

#include "app/wordmemory.h"
#include "host/errortext.h"
#include "host/messageservice.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalSockets[2] = {-1, -1};
constexpr int HandledSignals[] = {SIGTERM, SIGHUP, SIGINT};

extern "C" void PassSignal(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    // A full socket means a signal is waiting already; one is enough to close the window.
    [[maybe_unused]] const ssize_t put = ::write(signalSockets[0], &byte, 1);
    errno = saved;
}

} // namespace

SessionGuard::SessionGuard(TWordmemory& window, QObject* parent)
    : QObject(parent), window_(window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSockets) == 0) {
        notifier_ = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &SessionGuard::ReadSignal);
        struct sigaction action {};
        action.sa_handler = PassSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (int signal : HandledSignals) {
            ::sigaction(signal, &action, nullptr);
        }
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, &SessionGuard::CommitData,
                Qt::DirectConnection);
        connect(app, &QCoreApplication::aboutToQuit, this, &SessionGuard::AboutToQuit);
    }
}

SessionGuard::~SessionGuard() {
    if (notifier_ == nullptr) {
        return;
    }
    for (int signal : HandledSignals) {
        ::signal(signal, SIG_DFL);
    }
    delete notifier_;
    ::close(signalSockets[0]);
    ::close(signalSockets[1]);
    signalSockets[0] = signalSockets[1] = -1;
}

void SessionGuard::ReadSignal() {
    unsigned char byte = 0;
    while (::read(signalSockets[1], &byte, 1) == 1) {
        window_.close();
        emit SignalHandled(byte);
    }
}

void SessionGuard::CommitData(QSessionManager& manager) {
    const core::Status saved = window_.SaveLists(TWordmemory::SaveReport::Quiet);
    if (!saved && manager.allowsInteraction()) {
        window_.Messages().ShowError(ErrorText(saved));
        manager.release();
        manager.cancel();
    }
}

void SessionGuard::AboutToQuit() {
    // A failure has been shown in its own box by then, and a quit cannot be taken back.
    (void)window_.SaveLists(TWordmemory::SaveReport::Always);
}
