#include "app/scorecommand.h"

#include "core/pcmwave.h"
#include "core/phoneset.h"
#include "core/soundhint.h"
#include "host/errortext.h"
#include "sound/engine.h"
#include "sound/lazyscorer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

QJsonValue SymbolOrNull(const std::string& phone) {
    const std::string symbol = core::PhoneSymbol(phone);
    return symbol.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(symbol));
}

} // namespace

int RunScoreCommand(const QString& word, const QString& recording, QTextStream& out,
                    QTextStream& err) {
    sound::LazyScorer scorer;
    const std::string spelled = word.trimmed().toStdString();
    std::vector<std::vector<std::string>> pronunciations = scorer.DictionaryPronunciations(spelled);
    if (pronunciations.empty() && !spelled.empty()) {
        if (std::vector<std::string> phones = core::PhonesOfEspeak(sound::Phonemes(spelled));
            !phones.empty()) {
            pronunciations.push_back(std::move(phones));
        }
    }
    if (pronunciations.empty()) {
        err << QStringLiteral("“%1”没有可以评分的读音。").arg(word) << Qt::endl;
        return 2;
    }
    core::PcmSound sound;
    if (const core::Status read = core::ReadPcmWave(recording.toStdString(), sound); !read) {
        err << ErrorText(read) << Qt::endl;
        return 1;
    }
    sound::PhoneScoring scoring = scorer.Score(pronunciations, sound);
    if (!scoring.status) {
        if (scoring.status.what == core::Failure::SoundNoSpeech) {
            scoring.status.file = recording.toStdString();
        }
        err << ErrorText(scoring.status) << Qt::endl;
        return 1;
    }
    const core::SoundScores& scores = scoring.scores;
    QJsonArray sounds;
    for (const core::SoundResult& s : scores.sounds) {
        sounds.append(QJsonObject{
            {QStringLiteral("symbol"), QString::fromStdString(s.symbol)},
            {QStringLiteral("phone"), QString::fromStdString(s.phone)},
            {QStringLiteral("score"), s.Rounded()},
            {QStringLiteral("heardAs"), SymbolOrNull(s.heardAs)},
        });
    }
    const std::string hint = core::ScoresHint(scores);
    const QJsonObject result{
        {QStringLiteral("word"), word},
        {QStringLiteral("score"), scores.Rounded()},
        {QStringLiteral("verdict"), QString::fromStdString(core::VerdictWords(scores.verdict))},
        {QStringLiteral("sounds"), sounds},
        {QStringLiteral("hint"), hint.empty() ? QJsonValue() : QString::fromStdString(hint)},
    };
    out << QString::fromUtf8(QJsonDocument(result).toJson(QJsonDocument::Compact)) << Qt::endl;
    return 0;
}
