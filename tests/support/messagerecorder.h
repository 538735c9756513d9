#pragma once
#include "host/messageservice.h"

#include <QList>
#include <QString>
#include <deque>

/// A message service for tests: records every message and answers from a script.
class MessageRecorder : public MessageService {
public:
    enum class Kind { Inform, AskOkCancel, Error };
    struct Message {
        Kind kind;
        QString caption; ///< the caption given to AskOkCancel; empty for the others
        QString text;
    };

    void Inform(const QString& text) override;
    Answer AskOkCancel(const QString& caption, const QString& text) override;
    void ShowError(const QString& text) override;

    /// The answers AskOkCancel gives, in order; when the script runs out it answers Ok.
    void ScriptAnswers(std::initializer_list<Answer> answers);

    const QList<Message>& Messages() const { return messages_; }
    /// The texts of all messages, in order.
    QStringList Texts() const;
    /// The texts of the messages of one kind, in order.
    QStringList Texts(Kind kind) const;
    void Clear() { messages_.clear(); }

private:
    QList<Message> messages_;
    std::deque<Answer> answers_;
};
