#include "app/boxmessageservice.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QString Displayed(const QString& text) {
    // The texts carry CR LF breaks; a label breaks on LF alone and would draw the CR.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return shown;
}

QString Title() {
    return QApplication::applicationDisplayName();
}

} // namespace

void BoxMessageService::Inform(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, Title(), Displayed(text), QMessageBox::Ok, parent_);
    box.exec();
}

MessageService::Answer BoxMessageService::AskOkCancel(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, Displayed(text),
                    QMessageBox::Ok | QMessageBox::Cancel, parent_);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

void BoxMessageService::ShowError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, Title(), Displayed(text), QMessageBox::Ok, parent_);
    box.exec();
}
