// The yardstick of the start-up benchmark: the smallest Qt Widgets program that shows a
// window with one label.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("朗记通 start-up yardstick"));
    label.setWindowTitle(QStringLiteral("startup-label"));
    label.resize(400, 100);
    label.show();
    return QApplication::exec();
}
