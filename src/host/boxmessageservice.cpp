#include "host/boxmessageservice.h"

#include <QMessageBox>

namespace {

QString Displayed(const QString& text) {
    // The texts carry CR LF breaks; a label breaks on LF alone and would draw the CR.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return shown;
}

// The application's title, with its leading blank. It is not set as Qt's display name,
// which Qt would append to every window caption ("消息 — 朗记通").
QString Title() {
    return QStringLiteral(" 朗记通");
}

/// Learner names, file paths and list lines reach these texts: never read them as markup.
int Run(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    return box.exec();
}

} // namespace

void BoxMessageService::Inform(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, Title(), Displayed(text), QMessageBox::Ok, parent_);
    Run(box);
}

MessageService::Answer BoxMessageService::AskOkCancel(const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, Displayed(text),
                    QMessageBox::Ok | QMessageBox::Cancel, parent_);
    return Run(box) == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

void BoxMessageService::ShowError(const QString& text) {
    QMessageBox box(QMessageBox::Critical, Title(), Displayed(text), QMessageBox::Ok, parent_);
    Run(box);
}
