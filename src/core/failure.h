#pragma once
#include <cstddef>
#include <string_view>

namespace core {

/// The part of the program a failure belongs to. It says which fields of a Status mean
/// something: a file and the system's error number, a name and its role, a line of a file.
enum class Domain {
    None,   ///< no failure
    File,   ///< files and folders in general: file, sysError (TooFewLines: detail)
    Sound,  ///< sound files, sound devices and speech: file, sysError, detail
    Font,   ///< the phonetic font: file
    Name,   ///< learner and word-bank names: role, detail
    Bank,   ///< word banks: file, detail (the bank's name)
    Import, ///< another trainer's word file: file, line, detail
    Lookup, ///< the word and sentence search: detail
};

// Every failure once, with its domain: the enum, AllFailures, DomainOf and FailureName are made
// from this list, so that no failure can be left out of any of them. Only the names are kept
// in meaning; the numbers are never stored, so rows may be added anywhere.
#define LJT_FAILURES(X)                                                                            \
    X(None, None)                  /* nothing failed */                                            \
    X(File, Open)                  /* a file could not be opened */                                \
    X(File, Read)                  /* a file could not be read */                                  \
    X(File, Write)                 /* a file could not be written or replaced */                   \
    X(File, CreateFolder)          /* a folder could not be made */                                \
    X(File, NotFound)              /* a file that must be there is missing */                      \
    X(File, TooFewLines)           /* a data file is short (detail: the lines found) */            \
    X(Sound, SoundUnreadable)      /* a sound file could not be read */                            \
    X(Sound, SoundIncomplete)      /* a sound file is shorter than its header says */              \
    X(Sound, SoundOpen)            /* a sound file could not be opened */                          \
    X(Sound, SoundWrite)           /* a sound file (header, recording) could not be written */     \
    X(Sound, SoundCreate)          /* a sound file could not be created */                         \
    X(Sound, SoundMissing)         /* a sound file to play is not there */                         \
    X(Sound, SoundNoFileName)      /* a player was opened without a file name */                   \
    X(Sound, SoundUnplayable)      /* a sound file is empty, damaged or of an unknown kind */      \
    X(Sound, SoundTooLong)         /* a play outlasted what its file can need; it was stopped */   \
    X(Sound, SoundNotOpen)         /* play or record without an open file */                       \
    X(Sound, SoundNoRecord)        /* the open file cannot take a recording */                     \
    X(Sound, SoundNoOutput)        /* there is no sound output device */                           \
    X(Sound, SoundOutputOpen)      /* the sound output device cannot be opened */                  \
    X(Sound, SoundNoInput)         /* there is no recording device */                              \
    X(Sound, SoundInputOpen)       /* the recording device cannot be opened */                     \
    X(Sound, SoundDeviceInit)      /* a recording or a word's sound could not be started */        \
    X(Sound, SoundSave)            /* a recording could not be stopped, saved and closed */        \
    X(Sound, SpeechEngine)         /* the speech engine cannot start (file: its data folder) */    \
    X(Sound, PronunciationModel)   /* the pronunciation model is missing or damaged (file: it) */  \
    X(Sound, SoundNoSpeech)        /* a recording holds no speech (file: it) */                    \
    X(Font, FontMissing)           /* the phonetic font file is not there */                       \
    X(Font, FontUnusable)          /* the phonetic font file cannot be loaded */                   \
    X(Name, NameEmpty)             /* a name is empty or only blanks */                            \
    X(Name, NameSeparator)         /* a name holds "/" or "\" */                                   \
    X(Name, NameControl)           /* a name holds a control character */                          \
    X(Name, NameFormat)            /* a name holds an invisible format character */                \
    X(Name, NameInvisible)         /* a name has no visible character */                           \
    X(Name, NameDots)              /* a name is "." or ".." */                                     \
    X(Name, NameTooLong)           /* a name is longer than the file system allows */              \
    X(Name, NameProgramFile)       /* a name is that of a program file (detail: that file) */      \
    X(Bank, BankEncoding)          /* a word bank is in no encoding the program can read */        \
    X(Bank, BankExists)            /* a new bank would take an existing name (detail: it) */       \
    X(Import, ImportEncoding)      /* a line is in no text encoding the program reads */           \
    X(Import, ImportNoColumns)     /* a line has one column only: no word and meaning */           \
    X(Import, ImportColumnCount)   /* a line has another number of columns (detail: "n/first") */  \
    X(Import, ImportUnclosedQuote) /* a quoted field runs to the end of the file */                \
    X(Import, ImportEmptyWord)     /* a word is empty */                                           \
    X(Import, ImportBadWord)       /* a word holds "[" or "]", a phonetic "]" (detail: it) */      \
    X(Import, ImportBadXml)        /* the XML is broken (detail: the parser's message) */          \
    X(Import, ImportNotKvtml)      /* an XML file that is not a vocabulary document */             \
    X(Import, ImportNoWords)       /* the file holds no word at all */                             \
    X(Import, ImportOldKvtml)      /* a KVTML 1 document, the format before KDE 4 */               \
    X(Import, ImportNoEnglish)     /* no language is English (detail: the languages) */            \
    X(Import, ImportCancelled)     /* the learner stopped the import */                            \
    X(Lookup, LookupFailed)        /* a search stopped unexpectedly (detail: why) */

/// What went wrong. The core only says what failed; the host turns it into the learner's text.
enum class Failure {
#define LJT_FAILURE_VALUE(domain, name) name,
    LJT_FAILURES(LJT_FAILURE_VALUE)
#undef LJT_FAILURE_VALUE
};

/// Every failure, None first, in the order of the list.
inline constexpr Failure AllFailures[] = {
#define LJT_FAILURE_ENTRY(domain, name) Failure::name,
    LJT_FAILURES(LJT_FAILURE_ENTRY)
#undef LJT_FAILURE_ENTRY
};

/// The domain a failure belongs to.
constexpr Domain DomainOf(Failure what) {
    switch (what) {
#define LJT_FAILURE_DOMAIN(domain, name)                                                           \
    case Failure::name:                                                                            \
        return Domain::domain;
        LJT_FAILURES(LJT_FAILURE_DOMAIN)
#undef LJT_FAILURE_DOMAIN
    }
    return Domain::None;
}

/// The failure's name as written in the list ("SoundMissing"), for logs and test output.
constexpr std::string_view FailureName(Failure what) {
    switch (what) {
#define LJT_FAILURE_NAME(domain, name)                                                             \
    case Failure::name:                                                                            \
        return #name;
        LJT_FAILURES(LJT_FAILURE_NAME)
#undef LJT_FAILURE_NAME
    }
    return "?";
}

} // namespace core
