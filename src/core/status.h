#pragma once
#include "domainfailure.h"
#include "failure.h"

#include <string>
#include <utility>

namespace core {

/// What a name that failed a check stands for.
enum class NameRole { None, Learner, Bank };

/// Outcome of an operation that may fail: ok, or what failed, on which file, and why. A Status
/// that is dropped unread hides a failure, so every one must be looked at.
struct [[nodiscard]] Status {
    bool ok = true;
    Failure what = Failure::None;
    std::string file;               ///< the file or folder that failed; empty when none
    int sysError = 0;               ///< the system's error number, 0 when none
    NameRole role = NameRole::None; ///< for the name checks: which name
    std::string detail;             ///< what the failure's text needs besides the file (its
                                    ///< row in the failure list says what), or why it failed
    int line = 0;                   ///< the line of file at fault (1-based), 0 when none

    static Status Ok() { return {}; }

    /// A file or folder that could not be handled, with the system's error number.
    static Status File(FileFailure what, std::string file, int sysError = 0,
                       std::string detail = {}) {
        Status s = Failed(what);
        s.file = std::move(file);
        s.sysError = sysError;
        s.detail = std::move(detail);
        return s;
    }
    /// A sound file, a sound device or the speech engine; detail holds an exception's message.
    static Status Sound(SoundFailure what, std::string file, int sysError = 0,
                        std::string detail = {}) {
        Status s = Failed(what);
        s.file = std::move(file);
        s.sysError = sysError;
        s.detail = std::move(detail);
        return s;
    }
    /// The phonetic font file.
    static Status Font(FontFailure what, std::string file) {
        Status s = Failed(what);
        s.file = std::move(file);
        return s;
    }
    /// A name that failed a check: which name, and for some checks what it clashed with.
    static Status Name(NameFailure what, NameRole role, std::string detail = {}) {
        Status s = Failed(what);
        s.role = role;
        s.detail = std::move(detail);
        return s;
    }
    /// A word bank: its file, and its name where the text names the bank.
    static Status Bank(BankFailure what, std::string file, std::string name = {}) {
        Status s = Failed(what);
        s.file = std::move(file);
        s.detail = std::move(name);
        return s;
    }
    /// A fault in the content of a word file at the given line (0: the file as a whole).
    static Status Import(ImportFailure what, std::string file, int line = 0,
                         std::string detail = {}) {
        Status s = Failed(what);
        s.file = std::move(file);
        s.line = line;
        s.detail = std::move(detail);
        return s;
    }
    /// A search that stopped; detail says why.
    static Status Lookup(LookupFailure what, std::string detail) {
        Status s = Failed(what);
        s.detail = std::move(detail);
        return s;
    }

    explicit operator bool() const { return ok; }

private:
    static Status Failed(Failure what) {
        Status s;
        s.ok = false;
        s.what = what;
        return s;
    }
};

} // namespace core
