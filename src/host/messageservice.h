#pragma once
#include <QString>

/// Shows the program's messages. The program uses modal boxes captioned with the application
/// title; tests use a recorder that returns scripted answers instead of blocking.
/// Texts are passed exactly as the program defines them, "\r\n" line breaks included.
class MessageService {
public:
    enum class Answer { Ok, Cancel };

    virtual ~MessageService() = default;
    /// A plain box with an OK button, captioned with the application title.
    virtual void Inform(const QString& text) = 0;
    /// A box with the given caption and OK and Cancel buttons; returns the learner's answer.
    virtual Answer AskOkCancel(const QString& caption, const QString& text) = 0;
    /// An error report (file errors and the general error display), captioned with the
    /// application title.
    virtual void ShowError(const QString& text) = 0;
};
