#pragma once
#include <QObject>

class QSessionManager;
class QSocketNotifier;
class TWordmemory;

/// Ends the program the way closing the main window does when the system asks it to end.
/// SIGTERM, SIGHUP and SIGINT close the main window, which saves the lists first (and stays
/// open, with the error shown, when they cannot be saved); the end of the desktop session saves
/// them as well. A signal is passed through a socket pair that a notifier watches, so that the
/// window is closed on the interface thread and never inside the signal handler. One guard at
/// a time.
class SessionGuard : public QObject {
    Q_OBJECT
public:
    explicit SessionGuard(TWordmemory& window, QObject* parent = nullptr);
    ~SessionGuard() override;

public slots:
    /// The desktop session asks the program to keep its data: the lists are saved; a failure
    /// is shown and the logout cancelled where the session allows it.
    void CommitData(QSessionManager& manager);
    /// The application quits by whatever way: a last save of anything not saved yet.
    void AboutToQuit();

signals:
    /// A signal arrived (after the window was asked to close).
    void SignalHandled(int signal);

private:
    void ReadSignal();

    TWordmemory& window_;
    QSocketNotifier* notifier_ = nullptr;
};
