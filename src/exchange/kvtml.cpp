#include "exchange/kvtml.h"

#include <QDate>
#include <QStringList>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <map>
#include <optional>

namespace exchange {
namespace {

const QString EnglishId = QStringLiteral("0");
const QString ChineseId = QStringLiteral("1");

/// XML cannot carry most control characters; an entry never needs them.
QString XmlText(const std::string& text) {
    QString out = QString::fromStdString(text);
    for (QChar& c : out) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t')) {
            c = QLatin1Char(' ');
        }
    }
    return out;
}

/// One <entry> as read: the translations by identifier, and where it starts.
struct Entry {
    int line = 0;
    struct Translation {
        QString text;
        QString pronunciation;
        QString comment;
    };
    std::map<int, Translation> translations;
};

using Identifier = KvtmlLanguage;

/// The identifiers and entries of a document, as read.
struct Document {
    std::map<int, Identifier> identifiers;
    std::vector<Entry> entries;
};

/// The identifier's number, or none when the attribute is missing or not a number.
std::optional<int> IdOf(const QXmlStreamReader& xml) {
    bool ok = false;
    const int id = xml.attributes().value(QLatin1String("id")).toInt(&ok);
    return ok ? std::optional<int>(id) : std::nullopt;
}

void ReadIdentifiers(QXmlStreamReader& xml, std::map<int, Identifier>& identifiers) {
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("identifier")) {
            xml.skipCurrentElement();
            continue;
        }
        const std::optional<int> id = IdOf(xml);
        Identifier identifier;
        while (xml.readNextStartElement()) {
            if (xml.name() == QLatin1String("name")) {
                identifier.name = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (xml.name() == QLatin1String("locale")) {
                identifier.locale = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else {
                xml.skipCurrentElement();
            }
        }
        if (id) {
            identifier.id = *id;
            identifiers[*id] = identifier;
        }
    }
}

void ReadEntries(QXmlStreamReader& xml, std::vector<Entry>& entries) {
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("entry")) {
            xml.skipCurrentElement();
            continue;
        }
        Entry entry;
        entry.line = static_cast<int>(xml.lineNumber());
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("translation")) {
                xml.skipCurrentElement();
                continue;
            }
            const std::optional<int> id = IdOf(xml);
            Entry::Translation translation;
            while (xml.readNextStartElement()) {
                if (xml.name() == QLatin1String("text")) {
                    translation.text = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                } else if (xml.name() == QLatin1String("pronunciation")) {
                    translation.pronunciation =
                        xml.readElementText(QXmlStreamReader::IncludeChildElements);
                } else if (xml.name() == QLatin1String("comment")) {
                    translation.comment =
                        xml.readElementText(QXmlStreamReader::IncludeChildElements);
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (id) {
                entry.translations[*id] = translation;
            }
        }
        entries.push_back(std::move(entry));
    }
}

bool IsEnglish(const Identifier& identifier) {
    const QString name = identifier.name.trimmed();
    return identifier.locale.trimmed().startsWith(QLatin1String("en"), Qt::CaseInsensitive) ||
           name.compare(QLatin1String("English"), Qt::CaseInsensitive) == 0 ||
           name == QStringLiteral("英语") || name == QStringLiteral("英文");
}

} // namespace

QString ListTitle(core::ExchangeList list) {
    switch (list) {
    case core::ExchangeList::New:
        return QStringLiteral("未学的单词");
    case core::ExchangeList::Mastered:
        return QStringLiteral("已掌握单词");
    case core::ExchangeList::Review:
        return QStringLiteral("需复习单词");
    }
    return {};
}

QByteArray WriteKvtml(const std::vector<core::ExchangeGroup>& groups, const QString& title) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral(
        R"(<!DOCTYPE kvtml PUBLIC "kvtml2.dtd" "http://edu.kde.org/kvtml/kvtml2.dtd">)"));
    xml.writeStartElement(QStringLiteral("kvtml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));

    xml.writeStartElement(QStringLiteral("information"));
    xml.writeTextElement(QStringLiteral("generator"), QStringLiteral("朗记通 " LJT_VERSION));
    xml.writeTextElement(QStringLiteral("title"), title);
    xml.writeTextElement(QStringLiteral("date"),
                         QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("identifiers"));
    const std::pair<QString, std::pair<QString, QString>> identifiers[] = {
        {EnglishId, {QStringLiteral("English"), QStringLiteral("en")}},
        {ChineseId, {QStringLiteral("中文"), QStringLiteral("zh_CN")}},
    };
    for (const auto& [id, nameAndLocale] : identifiers) {
        xml.writeStartElement(QStringLiteral("identifier"));
        xml.writeAttribute(QStringLiteral("id"), id);
        xml.writeTextElement(QStringLiteral("name"), nameAndLocale.first);
        xml.writeTextElement(QStringLiteral("locale"), nameAndLocale.second);
        xml.writeEndElement();
    }
    xml.writeEndElement();

    xml.writeStartElement(QStringLiteral("entries"));
    int next = 0;
    for (const core::ExchangeGroup& group : groups) {
        for (const core::ExchangeWord& word : group.words) {
            xml.writeStartElement(QStringLiteral("entry"));
            xml.writeAttribute(QStringLiteral("id"), QString::number(next++));
            xml.writeStartElement(QStringLiteral("translation"));
            xml.writeAttribute(QStringLiteral("id"), EnglishId);
            xml.writeTextElement(QStringLiteral("text"), XmlText(word.word));
            if (!word.ipa.empty()) {
                xml.writeTextElement(QStringLiteral("pronunciation"), XmlText(word.ipa));
            }
            xml.writeEndElement();
            xml.writeStartElement(QStringLiteral("translation"));
            xml.writeAttribute(QStringLiteral("id"), ChineseId);
            xml.writeTextElement(QStringLiteral("text"), XmlText(word.meaning));
            xml.writeEndElement();
            xml.writeEndElement();
        }
    }
    xml.writeEndElement();

    // One lesson per list, so that Parley shows the learner's lists as they are here.
    xml.writeStartElement(QStringLiteral("lessons"));
    int first = 0;
    for (const core::ExchangeGroup& group : groups) {
        xml.writeStartElement(QStringLiteral("container"));
        xml.writeTextElement(QStringLiteral("name"), ListTitle(group.list));
        xml.writeTextElement(QStringLiteral("inpractice"), QStringLiteral("true"));
        for (std::size_t i = 0; i < group.words.size(); ++i) {
            xml.writeEmptyElement(QStringLiteral("entry"));
            xml.writeAttribute(QStringLiteral("id"), QString::number(first + static_cast<int>(i)));
        }
        first += static_cast<int>(group.words.size());
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

namespace {

core::Status ParseDocument(const QByteArray& bytes, Document& document) {
    QXmlStreamReader xml(bytes);
    // The parser's own text is English and stays in the detail, for logs only.
    auto broken = [&xml] {
        return core::Status::Import(core::Failure::ImportBadXml, {},
                                    static_cast<int>(xml.lineNumber()),
                                    xml.errorString().toStdString());
    };
    if (!xml.readNextStartElement()) {
        return xml.hasError() ? broken()
                              : core::Status::Import(core::Failure::ImportNotKvtml, {},
                                                     static_cast<int>(xml.lineNumber()));
    }
    if (xml.name() != QLatin1String("kvtml")) {
        return core::Status::Import(core::Failure::ImportNotKvtml, {},
                                    static_cast<int>(xml.lineNumber()));
    }
    // KVTML 1 (KDE 3) has a version below 2, or none and its entries as <e> elements.
    const QStringView version = xml.attributes().value(QLatin1String("version"));
    if (!version.isEmpty() && !version.startsWith(QLatin1Char('2'))) {
        return core::Status::Import(core::Failure::ImportOldKvtml, {});
    }
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("identifiers")) {
            ReadIdentifiers(xml, document.identifiers);
        } else if (xml.name() == QLatin1String("entries")) {
            ReadEntries(xml, document.entries);
        } else if (xml.name() == QLatin1String("e") && version.isEmpty()) {
            return core::Status::Import(core::Failure::ImportOldKvtml, {});
        } else {
            xml.skipCurrentElement();
        }
    }
    // Whatever follows the document element must still be well-formed.
    while (!xml.atEnd() && !xml.hasError()) {
        xml.readNext();
    }
    if (xml.hasError()) {
        return broken();
    }
    return core::Status::Ok();
}

} // namespace

QString LanguageText(const KvtmlLanguage& language) {
    const QString name = language.name.trimmed();
    const QString locale = language.locale.trimmed();
    if (name.isEmpty() || locale.isEmpty()) {
        return name.isEmpty() ? locale : name;
    }
    return QStringLiteral("%1 (%2)").arg(name, locale);
}

std::vector<KvtmlLanguage> KvtmlLanguages(const QByteArray& bytes) {
    Document document;
    if (!ParseDocument(bytes, document)) {
        return {};
    }
    std::vector<KvtmlLanguage> languages;
    for (const auto& [id, identifier] : document.identifiers) {
        languages.push_back(identifier);
    }
    return languages;
}

core::Status ReadKvtml(const QByteArray& bytes, std::vector<core::ExchangeWord>& words,
                       const std::optional<KvtmlColumns>& columns) {
    words.clear();
    Document document;
    if (core::Status parsed = ParseDocument(bytes, document); !parsed) {
        return parsed;
    }
    const std::map<int, Identifier>& identifiers = document.identifiers;
    const std::vector<Entry>& entries = document.entries;
    // The identifiers in use: those declared, and any a translation names.
    std::map<int, Identifier> used = identifiers;
    for (const Entry& entry : entries) {
        for (const auto& [id, translation] : entry.translations) {
            used.emplace(id, Identifier{});
        }
    }
    if (used.empty()) {
        return core::Status::Import(core::Failure::ImportNoWords, {});
    }
    int wordId = used.begin()->first;
    std::optional<int> meaningId;
    if (columns) {
        wordId = columns->word;
        meaningId = columns->meaning;
    } else {
        const auto english = std::find_if(used.begin(), used.end(),
                                          [](const auto& id) { return IsEnglish(id.second); });
        if (english != used.end()) {
            wordId = english->first;
        } else if (!identifiers.empty()) {
            // German words would become "English" ones: the learner says what is what.
            QStringList names;
            for (const auto& [id, identifier] : identifiers) {
                names << LanguageText(identifier);
            }
            return core::Status::Import(core::Failure::ImportNoEnglish, {}, 0,
                                        names.join(QStringLiteral("、")).toStdString());
        }
        for (const auto& [id, identifier] : used) {
            if (id != wordId) {
                meaningId = id;
                break;
            }
        }
    }
    for (const Entry& entry : entries) {
        core::ExchangeWord word;
        word.line = entry.line;
        QString comment;
        if (const auto found = entry.translations.find(wordId); found != entry.translations.end()) {
            word.word = found->second.text.toStdString();
            word.ipa = found->second.pronunciation.toStdString();
            comment = found->second.comment;
        }
        if (meaningId) {
            if (const auto found = entry.translations.find(*meaningId);
                found != entry.translations.end()) {
                word.meaning = found->second.text.toStdString();
            }
        }
        if (word.meaning.empty() || QString::fromStdString(word.meaning).trimmed().isEmpty()) {
            word.meaning = comment.trimmed().toStdString();
        }
        words.push_back(std::move(word));
    }
    if (words.empty()) {
        return core::Status::Import(core::Failure::ImportNoWords, {});
    }
    return core::Status::Ok();
}

} // namespace exchange
