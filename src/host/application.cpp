#include "host/application.h"

#include "host/errortext.h"
#include "host/messageservice.h"

#include <QDebug>
#include <exception>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowUncaught(ErrorText(e));
    } catch (...) {
        ShowUncaught(QStringLiteral("未知错误"));
    }
    return false;
}

void Application::ShowUncaught(const QString& text) {
    // Timers keep firing while the error box is up; a second failure in the meantime is
    // written out instead of stacking boxes.
    if (messages_ == nullptr || showing_) {
        qWarning().noquote() << text;
        return;
    }
    showing_ = true;
    try {
        messages_->ShowError(text);
    } catch (...) {
        qWarning().noquote() << text;
    }
    showing_ = false;
}
