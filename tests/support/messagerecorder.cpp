#include "support/messagerecorder.h"

#include <QStringList>

void MessageRecorder::Inform(const QString& text) {
    messages_.append({Kind::Inform, {}, text});
}

MessageService::Answer MessageRecorder::AskOkCancel(const QString& caption, const QString& text) {
    messages_.append({Kind::AskOkCancel, caption, text});
    if (answers_.empty()) {
        return Answer::Ok;
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void MessageRecorder::ShowError(const QString& text) {
    messages_.append({Kind::Error, {}, text});
}

void MessageRecorder::ScriptAnswers(std::initializer_list<Answer> answers) {
    answers_.insert(answers_.end(), answers.begin(), answers.end());
}

QStringList MessageRecorder::Texts() const {
    QStringList texts;
    for (const auto& m : messages_) {
        texts << m.text;
    }
    return texts;
}

QStringList MessageRecorder::Texts(Kind kind) const {
    QStringList texts;
    for (const auto& m : messages_) {
        if (m.kind == kind) {
            texts << m.text;
        }
    }
    return texts;
}
