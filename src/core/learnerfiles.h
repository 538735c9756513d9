#pragma once
#include "clock.h"
#include "status.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// Checks that name can serve as one folder and file-name component below the program folder.
/// Refuses empty names, "/" and "\", NUL and other control characters, invisible format
/// characters (zero-width spaces, direction marks and overrides), names without a visible
/// character (only spaces of any width), "." and "..", and names longer than 64 characters,
/// and the names of the files and folders the program writes in the learner data folder
/// ("Temp.wav", "1.htm", "2.htm", "3.htm", "Ebook.txt", "Worddata"). Trailing blanks are
/// allowed (they make a distinct learner).
Status CheckLearnerName(std::string_view name);
/// The same rule for a word-bank name typed by the learner (it becomes a file name).
Status CheckBankName(std::string_view name);

/// appDir + name + "/" (appDir ends in "/").
std::string LearnerFolderPath(const std::string& appDir, const std::string& name);
/// The learner's list file: which 1 = new words, 2 = mastered, 3 = review.
std::string LearnerListPath(const std::string& appDir, const std::string& name, int which);
/// The three list files, new words first.
std::array<std::string, 3> LearnerListPaths(const std::string& appDir, const std::string& name);
/// appDir + name + "/" + name + ".bm".
std::string LearnerSettingsPath(const std::string& appDir, const std::string& name);
/// The file name of a learner's study history in the learner folder and in backups.
inline constexpr std::string_view HistoryFileName = "history.log";
/// The learner's study history: appDir + name + "/history.log".
std::string LearnerHistoryPath(const std::string& appDir, const std::string& name);
/// appDir + "Ebook.txt".
std::string BankCataloguePath(const std::string& appDir);
/// appDir + "Worddata/" + bank + ".dst".
std::string WordBankPath(const std::string& appDir, const std::string& bank);

/// True when the learner's new-word file exists (false for a name that is not safe).
bool LearnerKnown(const std::string& appDir, const std::string& name);
/// Creates the learner folder, then creates (or empties) the three list files in it.
/// Fails, creating no list file, when the folder cannot be made or the name is not safe.
Status CreateLearnerFiles(const std::string& appDir, const std::string& name);
/// Writes the settings file with the five lines "0", "0", "0", "0", "10".
Status WriteLearnerSettings(const std::string& appDir, const std::string& name);

/// Outcome of copying a bank into the learner's new-word file.
struct BankCopyResult {
    Status status;
    bool newListWasMissing = false; ///< the new-word file did not exist before the copy
    std::size_t linesCopied = 0;
};
/// Replaces the learner's new-word file by the lines of the bank that are not blank, in bank
/// order. A GBK bank's lines are copied unchanged; a bank in UTF-8 or UTF-16 is converted, and
/// one that cannot be converted whole is refused (BankEncoding), so that no list ever holds
/// replacement characters. The three list files as they were are kept as a backup first.
/// Nothing is written when the bank cannot be read.
BankCopyResult CopyBankToNewList(const std::string& appDir, const std::string& name,
                                 const std::string& bank,
                                 TimePoint now = std::chrono::system_clock::now());

/// Reads the bank catalogue: one bank name per line, in file order.
Status ReadBankCatalogue(const std::string& appDir, std::vector<std::string>& names);

// Installed read-only, the program keeps the banks a learner imports in the learner data
// folder, with a catalogue of their own. The functions below take both folders (the same one
// when the program folder is writable).

/// The banks of the installed catalogue, then those of the learner data folder's catalogue
/// (which may be missing) that are not listed yet.
Status ReadBankCatalogues(const std::string& dataDir, const std::string& learnerDir,
                          std::vector<std::string>& names);
/// The file of a bank: the learner data folder's when it has one, else the installed one.
std::string FindWordBank(const std::string& dataDir, const std::string& learnerDir,
                         const std::string& bank);
/// CopyBankToNewList for a bank found by FindWordBank and a learner in learnerDir.
BankCopyResult CopyBankToNewList(const std::string& dataDir, const std::string& learnerDir,
                                 const std::string& name, const std::string& bank,
                                 TimePoint now = std::chrono::system_clock::now());
/// Makes a new bank of lines in the learner data folder: "Worddata/" + name + ".dst", then
/// its line in that folder's "Ebook.txt". Refuses a name that either catalogue lists or
/// either folder has a bank file of. When the catalogue cannot be written the bank file is
/// removed again, so that nothing is left half made.
Status CreateWordBank(const std::string& dataDir, const std::string& learnerDir,
                      const std::string& name, const std::vector<std::string>& lines);

} // namespace core
