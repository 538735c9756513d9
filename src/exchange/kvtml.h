#pragma once
#include "core/status.h"
#include "core/wordexchange.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace exchange {

/// Writes the groups as a KVTML 2 document (the vocabulary format of KDE Parley and
/// KWordQuiz): identifier 0 English with the word and its IPA pronunciation, identifier 1
/// Chinese with the meaning, one lesson per list.
QByteArray WriteKvtml(const std::vector<core::ExchangeGroup>& groups, const QString& title);

/// Reads the entries of a KVTML 2 document in document order. The word is the translation
/// of the English identifier (locale "en…", else the first identifier), its pronunciation
/// the IPA; the meaning is the translation of the first other identifier. Broken XML and a
/// document that is not KVTML fail naming the line.
core::Status ReadKvtml(const QByteArray& bytes, std::vector<core::ExchangeWord>& words);

/// The list's name as the windows show it ("未学的单词", "已掌握单词", "需复习单词").
QString ListTitle(core::ExchangeList list);

} // namespace exchange
