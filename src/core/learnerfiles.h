#pragma once
#include "status.h"

#include <string>
#include <string_view>
#include <vector>

namespace core {

/// Checks that name can serve as one folder and file-name component below the program folder.
/// Refuses empty names, "/" and "\\", NUL and other control characters, invisible format
/// characters (zero-width spaces, direction marks and overrides), names without a visible
/// character (only spaces of any width), "." and "..", and names
/// longer than 64 characters, and the names of the files the program writes beside itself
/// ("Temp.wav", "1.htm", "2.htm", "3.htm"). Trailing blanks are allowed (they make a distinct
/// learner).
Status CheckLearnerName(std::string_view name);
/// The same rule for a word-bank name typed by the learner (it becomes a file name).
Status CheckBankName(std::string_view name);

/// appDir + name + "/" (appDir ends in "/").
std::string LearnerFolderPath(const std::string& appDir, const std::string& name);
/// The learner's list file: which 1 = new words, 2 = mastered, 3 = review.
std::string LearnerListPath(const std::string& appDir, const std::string& name, int which);
/// appDir + name + "/" + name + ".bm".
std::string LearnerSettingsPath(const std::string& appDir, const std::string& name);
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
/// Replaces the learner's new-word file by the non-empty lines of the bank, unchanged and in
/// bank order. Nothing is written when the bank cannot be read.
BankCopyResult CopyBankToNewList(const std::string& appDir, const std::string& name,
                                 const std::string& bank);

/// Reads the bank catalogue: one bank name per line, in file order.
Status ReadBankCatalogue(const std::string& appDir, std::vector<std::string>& names);

} // namespace core
