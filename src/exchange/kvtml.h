#pragma once
#include "core/status.h"
#include "core/wordexchange.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace exchange {

/// Writes the groups as a KVTML 2 document (the vocabulary format of KDE Parley and
/// KWordQuiz): identifier 0 English with the word and its IPA pronunciation, identifier 1
/// Chinese with the meaning, one lesson per list.
QByteArray WriteKvtml(const std::vector<core::ExchangeGroup>& groups, const QString& title);

/// A language of a KVTML document as its identifier declares it.
struct KvtmlLanguage {
    int id = 0;
    QString name;   ///< "Deutsch"; may be empty
    QString locale; ///< "de"; may be empty
};

/// The languages that give the word and the meaning, as the learner chose them for a
/// document without English; no meaning language takes the comments as the meanings.
struct KvtmlColumns {
    int word = 0;
    std::optional<int> meaning;
};

/// Reads the entries of a KVTML 2 document in document order. The word is the translation
/// of the English identifier (locale "en…"), its pronunciation the IPA; the meaning is the
/// translation of the first other identifier, or the word's comment where that is empty
/// (KHangMan keeps its hints there). A document that declares its languages and none of
/// them English fails with ImportNoEnglish naming them, unless columns says which to take;
/// one that declares none takes its first identifier as the word. Broken XML and a document
/// that is not KVTML fail naming the line; a KVTML 1 document fails with ImportOldKvtml.
core::Status ReadKvtml(const QByteArray& bytes, std::vector<core::ExchangeWord>& words,
                       const std::optional<KvtmlColumns>& columns = std::nullopt);

/// The languages a KVTML 2 document declares, in the order of their identifiers; empty for
/// anything else.
std::vector<KvtmlLanguage> KvtmlLanguages(const QByteArray& bytes);

/// A language as messages name it: "Deutsch (de)", or the one of the two it has.
QString LanguageText(const KvtmlLanguage& language);

/// The list's name as the windows show it ("未学的单词", "已掌握单词", "需复习单词").
QString ListTitle(core::ExchangeList list);

} // namespace exchange
