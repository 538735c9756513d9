#pragma once
#include <string>
#include <utility>

namespace core {

/// What went wrong. The core only says what failed; the host turns it into the learner's text.
enum class Failure {
    None,
    Open,            ///< a file could not be opened
    Read,            ///< a file could not be read
    Write,           ///< a file could not be written or replaced
    CreateFolder,    ///< a folder could not be made
    NotFound,        ///< a file that must be there is missing
    TooFewLines,     ///< a data file has fewer lines than the program needs (detail: how many)
    SoundUnreadable, ///< a sound file could not be read
    SoundIncomplete, ///< a sound file is shorter than its header says
    SoundOpen,       ///< a sound file could not be opened
    SoundWrite,      ///< a sound file (its header, a recording) could not be written
    SoundCreate,     ///< a sound file could not be created
    SoundMissing,    ///< a sound file to play is not there
    SoundNoFileName, ///< a player was opened without a file name
    SoundUnplayable, ///< a sound file is empty, damaged or of a kind that cannot be played
    SoundTooLong,    ///< a play did not end within the time its file can need; it was stopped
    SoundNotOpen,    ///< play or record without an open file
    SoundNoRecord,   ///< the open file cannot take a recording
    SoundNoOutput,   ///< there is no sound output device
    SoundOutputOpen, ///< the sound output device cannot be opened
    SoundNoInput,    ///< there is no recording device
    SoundInputOpen,  ///< the recording device cannot be opened
    SpeechEngine,    ///< the speech engine cannot start (file: its data folder, "" installed)
    FontMissing,     ///< the phonetic font file is not there
    FontUnusable,    ///< the phonetic font file cannot be loaded
    NameEmpty,       ///< a name is empty or only blanks
    NameSeparator,   ///< a name holds "/" or "\"
    NameControl,     ///< a name holds a control character
    NameFormat,      ///< a name holds an invisible format character (zero width, direction)
    NameInvisible,   ///< a name has no visible character (only spaces of any kind)
    NameDots,        ///< a name is "." or ".."
    NameTooLong,     ///< a name is longer than the file system allows
    NameProgramFile, ///< a name is that of a file the program writes beside itself
    BankEncoding,    ///< a word bank is in no encoding the program can read
    BankExists,      ///< a new word bank would take the name of one that exists
    // Reading words from another trainer's file (line: where the fault is).
    ImportEncoding,      ///< a line is not UTF-8 text
    ImportNoColumns,     ///< a line has one column only: no word and meaning
    ImportColumnCount,   ///< a line has another number of columns than the first
    ImportUnclosedQuote, ///< a quoted field runs to the end of the file
    ImportEmptyWord,     ///< a word is empty
    ImportBadWord,       ///< a word holds "[" or "]", or a phonetic holds "]" (detail: it)
    ImportBadXml,        ///< the XML is broken (detail: the parser's message)
    ImportNotKvtml,      ///< an XML file that is not a vocabulary document
    ImportNoWords,       ///< the file holds no word at all
    LookupFailed,        ///< a lookup stopped unexpectedly (detail: why)
};

/// What a name that failed a check stands for.
enum class NameRole { None, Learner, Bank };

/// Outcome of an operation that may fail: ok, or what failed, on which file, and why.
struct Status {
    bool ok = true;
    Failure what = Failure::None;
    std::string file;              ///< the file or folder that failed; empty when none
    int sysError = 0;              ///< the system's error number, 0 when none
    NameRole role = NameRole::None; ///< for the name checks: which name
    std::string detail;             ///< the clashing program file for NameProgramFile; the
                                    ///< number of lines found for TooFewLines
    int line = 0;                  ///< the line of file at fault (1-based), 0 when none

    static Status Ok() { return {}; }
    static Status Fail(Failure what, std::string file, int sysError = 0) {
        Status s;
        s.ok = false;
        s.what = what;
        s.file = std::move(file);
        s.sysError = sysError;
        return s;
    }
    static Status BadName(Failure what, NameRole role, std::string detail = {}) {
        Status s;
        s.ok = false;
        s.what = what;
        s.role = role;
        s.detail = std::move(detail);
        return s;
    }
    /// A fault in the content of file at the given line.
    static Status AtLine(Failure what, std::string file, int line, std::string detail = {}) {
        Status s = Fail(what, std::move(file));
        s.line = line;
        s.detail = std::move(detail);
        return s;
    }
    explicit operator bool() const { return ok; }
};

} // namespace core
