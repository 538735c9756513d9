#include "learnerfiles.h"

#include "fileset.h"
#include "listbackup.h"
#include "textencoding.h"
#include "textfile.h"
#include "utf8.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace core {
namespace {

constexpr std::size_t MaxNameChars = 64;
constexpr std::size_t MaxNameBytes = 255 - 4;

bool InRange(char32_t c, char32_t first, char32_t last) {
    return c >= first && c <= last;
}

/// Control characters, the line and paragraph separators among them.
bool IsControl(char32_t c) {
    return c < 0x20 || InRange(c, 0x7F, 0x9F) || c == 0x2028 || c == 0x2029;
}

/// Format characters: invisible, yet they change how the text around them is shown (zero
/// width spaces and joiners, direction marks, embeddings, overrides and isolates, the byte
/// order mark, tags...).
bool IsFormat(char32_t c) {
    return c == 0xAD || InRange(c, 0x600, 0x605) || c == 0x61C || c == 0x6DD || c == 0x70F ||
           InRange(c, 0x890, 0x891) || c == 0x8E2 || c == 0x180E || InRange(c, 0x200B, 0x200F) ||
           InRange(c, 0x202A, 0x202E) || InRange(c, 0x2060, 0x2064) || InRange(c, 0x2066, 0x206F) ||
           c == 0xFEFF || InRange(c, 0xFFF9, 0xFFFB) || c == 0x110BD || c == 0x110CD ||
           InRange(c, 0x13430, 0x1343F) || InRange(c, 0x1BCA0, 0x1BCA3) ||
           InRange(c, 0x1D173, 0x1D17A) || c == 0xE0001 || InRange(c, 0xE0020, 0xE007F);
}

/// Characters that draw nothing of their own: spaces of every width, blank fillers, and
/// marks and selectors that only change the character before them.
bool DrawsNothing(char32_t c) {
    return c == ' ' || c == '\t' || c == 0xA0 || c == 0x1680 || InRange(c, 0x2000, 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000 || c == 0x2800 || c == 0x3164 ||
           InRange(c, 0x115F, 0x1160) || c == 0xFFA0 || InRange(c, 0x300, 0x36F) ||
           InRange(c, 0x1AB0, 0x1AFF) || InRange(c, 0x1DC0, 0x1DFF) || InRange(c, 0x20D0, 0x20FF) ||
           InRange(c, 0xFE00, 0xFE0F) || InRange(c, 0xFE20, 0xFE2F) || InRange(c, 0xE0100, 0xE01EF);
}

Status CheckComponent(std::string_view name, NameRole what) {
    bool onlyBlanks = true;
    for (unsigned char c : name) {
        if (c != ' ' && c != '\t') {
            onlyBlanks = false;
        }
    }
    if (name.empty() || onlyBlanks) {
        return Status::Name(Failure::NameEmpty, what);
    }
    for (unsigned char c : name) {
        if (c == '/' || c == '\\') {
            return Status::Name(Failure::NameSeparator, what);
        }
        if (c < 32 || c == 127) {
            return Status::Name(Failure::NameControl, what);
        }
    }
    // A name is shown in the sign-in field, the banner and as a folder name: every character
    // must be one the learner can see, or at least a plain space between them.
    bool visible = false;
    for (std::size_t i = 0; i < name.size();) {
        const Utf8Char c = DecodeUtf8At(name, i);
        i += c.size;
        if (!c.valid || IsFormat(c.code)) {
            return Status::Name(Failure::NameFormat, what);
        }
        if (IsControl(c.code)) {
            return Status::Name(Failure::NameControl, what);
        }
        if (!DrawsNothing(c.code)) {
            visible = true;
        }
    }
    if (!visible) {
        return Status::Name(Failure::NameInvisible, what);
    }
    if (name == "." || name == "..") {
        return Status::Name(Failure::NameDots, what);
    }
    // The longest file made from a name is name + "1.bm" or name + ".dst": it must fit the
    // file system's 255-byte limit even for characters of four bytes.
    if (Utf8Length(name) > MaxNameChars || name.size() > MaxNameBytes) {
        return Status::Name(Failure::NameTooLong, what);
    }
    return Status::Ok();
}

} // namespace

Status CheckLearnerName(std::string_view name) {
    // The program writes these files and folders beside the learner folders while it runs: a
    // learner folder of that name would stand in their way (a recording, a page or an
    // imported bank could then never be written).
    static constexpr std::string_view programFiles[] = {"Temp.wav", "1.htm",     "2.htm",
                                                        "3.htm",    "Ebook.txt", "Worddata"};
    for (std::string_view file : programFiles) {
        if (name == file) {
            return Status::Name(Failure::NameProgramFile, NameRole::Learner, std::string(file));
        }
    }
    return CheckComponent(name, NameRole::Learner);
}

Status CheckBankName(std::string_view name) {
    return CheckComponent(name, NameRole::Bank);
}

std::string LearnerFolderPath(const std::string& appDir, const std::string& name) {
    return appDir + name + "/";
}

std::string LearnerListPath(const std::string& appDir, const std::string& name, int which) {
    return LearnerFolderPath(appDir, name) + name + std::to_string(which) + ".bm";
}

std::array<std::string, 3> LearnerListPaths(const std::string& appDir, const std::string& name) {
    return {LearnerListPath(appDir, name, 1), LearnerListPath(appDir, name, 2),
            LearnerListPath(appDir, name, 3)};
}

std::string LearnerSettingsPath(const std::string& appDir, const std::string& name) {
    return LearnerFolderPath(appDir, name) + name + ".bm";
}

std::string LearnerHistoryPath(const std::string& appDir, const std::string& name) {
    return LearnerFolderPath(appDir, name) + std::string(HistoryFileName);
}

std::string BankCataloguePath(const std::string& appDir) {
    return appDir + "Ebook.txt";
}

std::string WordBankPath(const std::string& appDir, const std::string& bank) {
    return appDir + "Worddata/" + bank + ".dst";
}

bool LearnerKnown(const std::string& appDir, const std::string& name) {
    return CheckLearnerName(name).ok && FileExists(LearnerListPath(appDir, name, 1));
}

Status CreateLearnerFiles(const std::string& appDir, const std::string& name) {
    if (Status s = CheckLearnerName(name); !s) {
        return s;
    }
    const std::string folder = appDir + name;
    // An existing folder without a new-word file is refused rather than reused: its other
    // list files may still hold the learner's progress and must not be emptied.
    if (::mkdir(folder.c_str(), 0755) != 0) {
        int e = errno;
        return Status::File(Failure::CreateFolder, folder, e);
    }
    for (int which = 1; which <= 3; ++which) {
        const std::string path = LearnerListPath(appDir, name, which);
        if (Status s = WriteFileAtomic(path, {}); !s) {
            return s;
        }
    }
    return Status::Ok();
}

Status WriteLearnerSettings(const std::string& appDir, const std::string& name) {
    if (Status s = CheckLearnerName(name); !s) {
        return s;
    }
    return WriteTextLines(LearnerSettingsPath(appDir, name), {"0", "0", "0", "0", "10"});
}

BankCopyResult CopyBankToNewList(const std::string& appDir, const std::string& name,
                                 const std::string& bank, TimePoint now) {
    return CopyBankToNewList(appDir, appDir, name, bank, now);
}

BankCopyResult CopyBankToNewList(const std::string& dataDir, const std::string& learnerDir,
                                 const std::string& name, const std::string& bank, TimePoint now) {
    BankCopyResult result;
    if (Status s = CheckLearnerName(name); !s) {
        result.status = s;
        return result;
    }
    if (Status s = CheckBankName(bank); !s) {
        result.status = s;
        return result;
    }
    const std::string bankPath = FindWordBank(dataDir, learnerDir, bank);
    std::string bytes;
    if (!FileExists(bankPath)) {
        result.status = Status::File(Failure::NotFound, bankPath, ENOENT);
        return result;
    }
    if (Status s = ReadFileBytes(bankPath, bytes); !s) {
        result.status = s;
        return result;
    }
    std::string text;
    if (!ConvertToGb18030(bytes, DetectTextEncoding(bytes), text)) {
        result.status = Status::Bank(Failure::BankEncoding, bankPath);
        return result;
    }
    const std::string listPath = LearnerListPath(learnerDir, name, 1);
    result.newListWasMissing = !FileExists(listPath);
    // Lines are copied as bytes: GB18030 never uses CR or LF inside a character. A blank line
    // would read as the end of the list, so none is copied.
    std::vector<std::string> lines;
    for (auto& line : SplitLines(text)) {
        if (!IsBlankLine(line)) {
            lines.push_back(std::move(line));
        }
    }
    // The new words the bank replaces stay in a backup. An interrupted save of the lists is
    // finished first, so that it cannot later overwrite the copy.
    std::string folder = LearnerFolderPath(learnerDir, name);
    folder.pop_back();
    const auto paths = LearnerListPaths(learnerDir, name);
    const std::vector<std::string> files(paths.begin(), paths.end());
    if (Status s = RecoverFileSet(folder, files); !s) {
        result.status = s;
        return result;
    }
    SaveTarget target;
    if (Status s = CheckSaveTarget(listPath, target); !s) {
        result.status = s;
        return result;
    }
    std::string backup;
    const bool backedUp = FileExists(listPath) && BackupFiles(folder, files, now, backup).ok;
    result.status = WriteFileAtomic(listPath, JoinLinesCrLf(lines));
    if (result.status) {
        result.linesCopied = lines.size();
        PruneBackups(folder, now);
    } else if (backedUp) {
        RemoveBackup(folder, backup);
    }
    return result;
}

Status ReadBankCatalogue(const std::string& appDir, std::vector<std::string>& names) {
    return ReadTextLines(BankCataloguePath(appDir), names);
}

Status ReadBankCatalogues(const std::string& dataDir, const std::string& learnerDir,
                          std::vector<std::string>& names) {
    if (Status s = ReadBankCatalogue(dataDir, names); !s) {
        return s;
    }
    if (learnerDir == dataDir || !FileExists(BankCataloguePath(learnerDir))) {
        return Status::Ok();
    }
    std::vector<std::string> own;
    if (Status s = ReadBankCatalogue(learnerDir, own); !s) {
        return s;
    }
    for (std::string& name : own) {
        if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(std::move(name));
        }
    }
    return Status::Ok();
}

std::string FindWordBank(const std::string& dataDir, const std::string& learnerDir,
                         const std::string& bank) {
    const std::string own = WordBankPath(learnerDir, bank);
    return learnerDir != dataDir && FileExists(own) ? own : WordBankPath(dataDir, bank);
}

Status CreateWordBank(const std::string& dataDir, const std::string& learnerDir,
                      const std::string& name, const std::vector<std::string>& lines) {
    if (Status s = CheckBankName(name); !s) {
        return s;
    }
    std::vector<std::string> listed;
    // A program folder without a catalogue has no banks yet; the new one starts it.
    if (FileExists(BankCataloguePath(dataDir))) {
        if (Status s = ReadBankCatalogues(dataDir, learnerDir, listed); !s) {
            return s;
        }
    }
    const std::string bankPath = WordBankPath(learnerDir, name);
    if (std::find(listed.begin(), listed.end(), name) != listed.end() || FileExists(bankPath) ||
        FileExists(WordBankPath(dataDir, name))) {
        return Status::Bank(Failure::BankExists, bankPath, name);
    }
    std::vector<std::string> catalogue;
    const std::string cataloguePath = BankCataloguePath(learnerDir);
    if (FileExists(cataloguePath)) {
        if (Status s = ReadTextLines(cataloguePath, catalogue); !s) {
            return s;
        }
    }
    catalogue.push_back(name);
    const std::string folder = learnerDir + "Worddata";
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) {
        const int e = errno;
        return Status::File(Failure::CreateFolder, folder, e);
    }
    if (Status s = WriteTextLines(bankPath, lines); !s) {
        return s;
    }
    if (Status s = WriteTextLines(cataloguePath, catalogue); !s) {
        ::unlink(bankPath.c_str());
        return s;
    }
    return Status::Ok();
}

} // namespace core
