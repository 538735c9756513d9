#pragma once
#include <QApplication>

class MessageService;

/// The program's application object. Its general error display catches every error that a
/// handler lets escape, shows its text through the message service, and lets the program
/// go on with the next event.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);

    /// Where errors are shown; without one they are written to the standard error stream.
    void SetMessages(MessageService* messages) { messages_ = messages; }

    bool notify(QObject* receiver, QEvent* event) override;

    /// Shows an error that escaped a handler (also used by code that catches on its own).
    void ShowUncaught(const QString& text);

private:
    MessageService* messages_ = nullptr;
    bool showing_ = false;
};
