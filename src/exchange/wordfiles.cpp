#include "exchange/wordfiles.h"

#include "core/studystate.h"
#include "core/textfile.h"
#include "exchange/kvtml.h"

#include <QFileInfo>

namespace exchange {
namespace {

const core::WordList& ListOf(const core::StudyState& state, core::ExchangeList list) {
    switch (list) {
    case core::ExchangeList::Mastered:
        return state.MasteredList;
    case core::ExchangeList::Review:
        return state.ReviewList;
    case core::ExchangeList::New:
        break;
    }
    return state.NewList;
}

std::string Path(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

/// True when the text, past a byte-order mark and blanks, starts like an XML document.
bool LooksLikeXml(const std::string& bytes) {
    std::size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (i < bytes.size() &&
           (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n')) {
        ++i;
    }
    return i < bytes.size() && bytes[i] == '<';
}

} // namespace

std::optional<Format> FormatNamed(const QString& name) {
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("csv")) {
        return Format::Csv;
    }
    if (key == QLatin1String("anki")) {
        return Format::Anki;
    }
    if (key == QLatin1String("kvtml")) {
        return Format::Kvtml;
    }
    return std::nullopt;
}

std::optional<Format> FormatOfPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv")) {
        return Format::Csv;
    }
    if (suffix == QLatin1String("txt") || suffix == QLatin1String("tsv")) {
        return Format::Anki;
    }
    if (suffix == QLatin1String("kvtml")) {
        return Format::Kvtml;
    }
    return std::nullopt;
}

std::optional<std::vector<core::ExchangeList>> ListsNamed(const QString& name) {
    using core::ExchangeList;
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("all")) {
        return std::vector<ExchangeList>{ExchangeList::New, ExchangeList::Mastered,
                                         ExchangeList::Review};
    }
    for (ExchangeList list : {ExchangeList::New, ExchangeList::Mastered, ExchangeList::Review}) {
        if (key == QString::fromUtf8(core::ExchangeListName(list).data(),
                                     static_cast<qsizetype>(core::ExchangeListName(list).size()))) {
            return std::vector<ExchangeList>{list};
        }
    }
    return std::nullopt;
}

ExportResult ExportLists(const core::StudyState& state,
                         const std::vector<core::ExchangeList>& lists, Format format,
                         const QString& path) {
    ExportResult result;
    std::vector<core::ExchangeGroup> groups;
    for (core::ExchangeList list : lists) {
        groups.push_back(core::GroupFromLines(list, ListOf(state, list).Lines(), result.skipped));
        result.words += groups.back().words.size();
    }
    std::string bytes;
    switch (format) {
    case Format::Csv:
        bytes = core::WriteCsv(groups);
        break;
    case Format::Anki:
        bytes = core::WriteAnkiText(groups);
        break;
    case Format::Kvtml: {
        QString title = QString::fromStdString(state.LearnerName);
        if (lists.size() == 1) {
            title += QStringLiteral("：") + ListTitle(lists.front());
        }
        bytes = WriteKvtml(groups, title).toStdString();
        break;
    }
    }
    result.status = core::WriteFileAtomic(Path(path), bytes);
    if (!result.status) {
        result.words = 0;
    }
    return result;
}

core::Status ImportWordFile(const QString& path, core::ImportedEntries& entries,
                            const ImportOptions& options) {
    entries = {};
    // Reading the file is quick beside the rest; parsing and the entries share the bar.
    auto stage = [&options](double from, double to) -> core::ImportProgress {
        if (!options.progress) {
            return {};
        }
        return [&options, from, to](double done) {
            return options.progress(from + (to - from) * done);
        };
    };
    auto failed = [&path](core::Status status) {
        status.file = path.toStdString();
        return status;
    };
    if (options.progress && !options.progress(0)) {
        return failed(core::Status::Import(core::Failure::ImportCancelled, {}));
    }
    std::string bytes;
    if (core::Status s = core::ReadFileBytes(Path(path), bytes); !s) {
        return s;
    }
    std::vector<core::ExchangeWord> words;
    core::Status status;
    if (LooksLikeXml(bytes) || FormatOfPath(path) == Format::Kvtml) {
        status = ReadKvtml(QByteArray::fromStdString(bytes), words, options.columns);
    } else if (FormatOfPath(path) == Format::Csv) {
        status = core::ReadCsv(bytes, words, stage(0.05, 0.6));
    } else {
        status = core::ReadAnkiText(bytes, words, stage(0.05, 0.6));
    }
    if (status) {
        status = core::EntriesFromWords(words, entries, stage(0.6, 1));
    }
    return status ? status : failed(status);
}

std::vector<KvtmlLanguage> WordFileLanguages(const QString& path) {
    std::string bytes;
    if (!core::ReadFileBytes(Path(path), bytes) || !LooksLikeXml(bytes)) {
        return {};
    }
    return KvtmlLanguages(QByteArray::fromStdString(bytes));
}

} // namespace exchange
