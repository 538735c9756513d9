// The yardstick of the start-up benchmark: the smallest Qt Widgets program that shows a
// window with one label. With LJT_LABEL_MAXIMISED set it fills the screen, as the sign-in
// window does, so that the cost of drawing a whole screen can be told from the program's own.
#include "core/startupmark.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>

int main(int argc, char** argv) {
    core::StartupMark("main");
    QApplication app(argc, argv);
    core::StartupMark("application");
    QLabel label(QStringLiteral("朗记通 start-up yardstick"));
    label.setWindowTitle(QStringLiteral("startup-label"));
    if (qEnvironmentVariableIsSet("LJT_LABEL_MAXIMISED")) {
        // Without a window manager a maximised state alone leaves the size as it is.
        label.setGeometry(label.screen()->availableGeometry());
        label.setWindowState(Qt::WindowMaximized);
    } else {
        label.resize(400, 100);
    }
    label.show();
    core::StartupMark("shown");
    return QApplication::exec();
}
