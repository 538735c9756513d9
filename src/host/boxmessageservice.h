#pragma once
#include "host/messageservice.h"

class QWidget;

/// The program's message service: modal QMessageBox windows.
class BoxMessageService : public MessageService {
public:
    /// parent may be null; boxes are then centred on the screen.
    explicit BoxMessageService(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    void Inform(const QString& text) override;
    Answer AskOkCancel(const QString& caption, const QString& text) override;
    void ShowError(const QString& text) override;

private:
    QWidget* parent_;
};
