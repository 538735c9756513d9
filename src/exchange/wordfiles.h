#pragma once
#include "core/status.h"
#include "core/wordexchange.h"
#include "exchange/kvtml.h"

#include <QString>
#include <cstddef>
#include <optional>
#include <vector>

namespace core {
class StudyState;
}

namespace exchange {

/// The file formats in which words leave and enter the program.
enum class Format {
    Csv,   ///< comma-separated, with a header row
    Anki,  ///< tab-separated text that Anki imports as notes
    Kvtml, ///< KVTML 2, the format of KDE Parley and KWordQuiz
};

/// The format of a command-line name: "csv", "anki" or "kvtml".
std::optional<Format> FormatNamed(const QString& name);
/// The format a file name's extension stands for: ".csv", ".txt" or ".tsv" (Anki), ".kvtml".
std::optional<Format> FormatOfPath(const QString& path);
/// The lists a command-line name chooses: "new", "mastered", "review" or "all" (the three).
std::optional<std::vector<core::ExchangeList>> ListsNamed(const QString& name);

/// Outcome of writing lists to a file.
struct ExportResult {
    core::Status status;
    std::size_t words = 0;   ///< words written
    std::size_t skipped = 0; ///< entries not of the form word[phonetic]meaning, left out
};
/// Writes the chosen lists of state (in this order) to path, replacing it whole.
ExportResult ExportLists(const core::StudyState& state,
                         const std::vector<core::ExchangeList>& lists, Format format,
                         const QString& path);

/// How a word file is read, besides what its content says.
struct ImportOptions {
    /// The languages of a KVTML file without English, as the learner chose them.
    std::optional<KvtmlColumns> columns;
    /// Told how far the import has come (0 to 1); may stop it.
    core::ImportProgress progress;
};

/// Reads the words of a file into entry lines. The format comes from the content (XML is
/// KVTML) and else from the extension (".csv" is CSV, anything else tab-separated text).
/// Failures name the file and, where it applies, the line.
core::Status ImportWordFile(const QString& path, core::ImportedEntries& entries,
                            const ImportOptions& options = {});

/// The languages a KVTML file declares (KvtmlLanguages); empty for any other file.
std::vector<KvtmlLanguage> WordFileLanguages(const QString& path);

} // namespace exchange
