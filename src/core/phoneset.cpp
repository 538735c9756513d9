#include "phoneset.h"

#include <algorithm>
#include <array>
#include <utility>

namespace core {

namespace {

struct PhoneName {
    std::string_view phone;
    std::string_view symbol;
    bool vowel;
};

// British-style symbols, as the lessons and the word banks write them: the model has one phone
// for ʌ and ə (AH) and one for ɑː and ɒ (AA), so the first of each pair stands for both.
constexpr std::array<PhoneName, 40> Phones{{
    {"AA", "ɑː", true}, {"AE", "æ", true},  {"AH", "ʌ", true},   {"AO", "ɔː", true},
    {"AW", "aʊ", true}, {"AY", "aɪ", true}, {"B", "b", false},   {"CH", "tʃ", false},
    {"D", "d", false},  {"DH", "ð", false}, {"EH", "e", true},   {"ER", "ɜː", true},
    {"EY", "eɪ", true}, {"F", "f", false},  {"G", "g", false},   {"HH", "h", false},
    {"IH", "ɪ", true},  {"IY", "iː", true}, {"JH", "dʒ", false}, {"K", "k", false},
    {"L", "l", false},  {"M", "m", false},  {"N", "n", false},   {"NG", "ŋ", false},
    {"OW", "əʊ", true}, {"OY", "ɔɪ", true}, {"P", "p", false},   {"R", "r", false},
    {"S", "s", false},  {"SH", "ʃ", false}, {"T", "t", false},   {"TH", "θ", false},
    {"UH", "ʊ", true},  {"UW", "uː", true}, {"V", "v", false},   {"W", "w", false},
    {"Y", "j", false},  {"Z", "z", false},  {"ZH", "ʒ", false},  {"SIL", "", false},
}};

const PhoneName* Find(std::string_view phone) {
    const auto it = std::find_if(Phones.begin(), Phones.end(),
                                 [phone](const PhoneName& p) { return p.phone == phone; });
    return it == Phones.end() ? nullptr : &*it;
}

// eSpeak NG's English mnemonics and the phones they are heard as. The r-coloured and centring
// vowels become a vowel and R, as the pronouncing dictionary writes them; the flap and the
// glottal stop are heard as T by a US model.
struct EspeakPhoneme {
    std::string_view mnemonic;
    std::string_view phones;
};
constexpr EspeakPhoneme Espeak[] = {
    {"aI@", "AY ER"}, {"aI3", "AY ER"}, {"aU@", "AW ER"}, {"i@3", "IH R"}, {"A:", "AA"},
    {"A@", "AA R"},   {"aI", "AY"},     {"aU", "AW"},     {"a#", "AH"},    {"aa", "AE"},
    {"@L", "AH L"},   {"@r", "ER"},     {"@U", "OW"},     {"@5", "AH"},    {"@2", "AH"},
    {"3:", "ER"},     {"e@", "EH R"},   {"eI", "EY"},     {"i:", "IY"},    {"I#", "IH"},
    {"I2", "IH"},     {"i@", "IH R"},   {"I@", "IH R"},   {"0#", "AA"},    {"O:", "AO"},
    {"O@", "AO R"},   {"o@", "AO R"},   {"OI", "OY"},     {"oU", "OW"},    {"u:", "UW"},
    {"U@", "UH R"},   {"tS", "CH"},     {"dZ", "JH"},     {"t#", "T"},     {"n^", "N Y"},
    {"a", "AE"},      {"A", "AA"},      {"@", "AH"},      {"3", "ER"},     {"e", "EH"},
    {"E", "EH"},      {"i", "IY"},      {"I", "IH"},      {"0", "AA"},     {"O", "AO"},
    {"o", "OW"},      {"U", "UH"},      {"u", "UW"},      {"V", "AH"},     {"p", "P"},
    {"b", "B"},       {"t", "T"},       {"d", "D"},       {"k", "K"},      {"g", "G"},
    {"f", "F"},       {"v", "V"},       {"T", "TH"},      {"D", "DH"},     {"s", "S"},
    {"z", "Z"},       {"S", "SH"},      {"Z", "ZH"},      {"h", "HH"},     {"m", "M"},
    {"n", "N"},       {"N", "NG"},      {"l", "L"},       {"r", "R"},      {"w", "W"},
    {"W", "W"},       {"j", "Y"},       {"x", "K"},       {"C", "HH"},     {"?", "T"},
};
constexpr std::size_t LongestMnemonic = 3;

// The eSpeak NG phoneme of each lesson symbol, in button order (the lessons' model sounds are
// spoken from the same phonemes).
constexpr std::string_view LessonPhonemes[] = {
    "p",  "b",  "t",  "d",  "k", "g", "f", "v", "T",  "D",  "s",  "z",  "S",  "Z",  "tS", "dZ",
    "ts", "dz", "tr", "dr", "h", "r", "m", "n", "N",  "l",  "j",  "w",  "i:", "3:", "A:", "O:",
    "u:", "I",  "e",  "a",  "@", "V", "0", "U", "eI", "aI", "OI", "@U", "aU", "I@", "e@", "U@",
};
static_assert(std::size(LessonPhonemes) == 48);

// The sounds said in place of others, in the order of how often: the confusions that the
// hints explain, each the way Chinese-speaking learners make it (s for θ, not θ for s), and the
// voicing partners of the consonants (a final voiced consonant loses its voice). A confusion
// learners seldom make is no rival: the model hears it in voices that say the sound right far
// more often than learners say it (an s heard as θ, a d as ð, e as ɪ, b as v).
struct Rivals {
    std::string_view phone;
    std::string_view rivals;
};
constexpr Rivals RivalTable[] = {
    {"TH", "S F T DH"}, {"DH", "D Z TH V"}, {"V", "W B F"},  {"W", "V"},    {"R", "L"},
    {"L", "N R"},       {"N", "L NG"},      {"NG", "N"},     {"IY", "IH"},  {"IH", "IY EH"},
    {"AE", "EH"},       {"EH", "AE"},       {"SH", "S ZH"},  {"S", "SH Z"}, {"Z", "S"},
    {"ZH", "Z SH JH"},  {"B", "P"},         {"P", "B"},      {"D", "T"},    {"T", "D"},
    {"G", "K"},         {"K", "G"},         {"F", "V"},      {"JH", "CH"},  {"CH", "JH SH"},
    {"UW", "UH"},       {"UH", "UW"},       {"AO", "AA OW"},
};

// The vowels of British English, as the 48 symbols teach them, that the model (trained on
// American speech) takes for a neighbour: the open a of "back" for ʌ, the ʌ of "cup" for ɑ,
// the ɒ of "hot" for ɔ, the ɜː and ə without r of "service" and "under" for ʌ or ʊ. Said so
// inside a word they are right.
constexpr Rivals VariantTable[] = {
    {"AE", "AH"},
    {"AH", "AA"},
    {"AA", "AO"},
    {"ER", "AH UH"},
};

/// The names of a list separated by single spaces.
std::vector<std::string_view> Split(std::string_view list) {
    std::vector<std::string_view> names;
    while (!list.empty()) {
        const std::size_t space = list.find(' ');
        names.push_back(list.substr(0, space));
        list = space == std::string_view::npos ? std::string_view() : list.substr(space + 1);
    }
    return names;
}

/// The voiced consonants with their voiceless partners.
constexpr std::pair<std::string_view, std::string_view> VoicingPairs[] = {
    {"B", "P"}, {"D", "T"},   {"G", "K"},   {"V", "F"},
    {"Z", "S"}, {"DH", "TH"}, {"ZH", "SH"}, {"JH", "CH"},
};

void AppendPhones(std::string_view phones, std::vector<std::string>& out) {
    for (const std::string_view phone : Split(phones)) {
        out.emplace_back(phone);
    }
}

} // namespace

const std::vector<std::string_view>& ModelPhones() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> all;
        for (const PhoneName& p : Phones) {
            all.push_back(p.phone);
        }
        return all;
    }();
    return names;
}

bool IsModelPhone(std::string_view name) {
    return Find(name) != nullptr;
}

bool IsVowelPhone(std::string_view phone) {
    const PhoneName* p = Find(phone);
    return p != nullptr && p->vowel;
}

std::string PhoneSymbol(std::string_view phone) {
    const PhoneName* p = Find(phone);
    return p == nullptr ? std::string() : std::string(p->symbol);
}

static const EspeakPhoneme* MnemonicAt(std::string_view phonemes) {
    for (std::size_t length = std::min(LongestMnemonic, phonemes.size()); length > 0; --length) {
        const std::string_view piece = phonemes.substr(0, length);
        const auto it =
            std::find_if(std::begin(Espeak), std::end(Espeak),
                         [piece](const EspeakPhoneme& e) { return e.mnemonic == piece; });
        if (it != std::end(Espeak)) {
            return &*it;
        }
    }
    return nullptr;
}

std::size_t EspeakMnemonicLength(std::string_view phonemes) {
    const EspeakPhoneme* found = MnemonicAt(phonemes);
    return found == nullptr ? 0 : found->mnemonic.size();
}

std::vector<std::string> PhonesOfEspeak(std::string_view phonemes) {
    std::vector<std::string> phones;
    std::size_t at = 0;
    while (at < phonemes.size()) {
        if (const EspeakPhoneme* found = MnemonicAt(phonemes.substr(at))) {
            AppendPhones(found->phones, phones);
            at += found->mnemonic.size();
        } else {
            ++at; // stress, length and pause marks, word gaps, syllabic "-"
        }
    }
    return phones;
}

bool IsVoiced(std::string_view phone) {
    return std::any_of(std::begin(VoicingPairs), std::end(VoicingPairs),
                       [phone](const auto& pair) { return pair.first == phone; });
}

bool VoicingPartners(std::string_view a, std::string_view b) {
    return std::any_of(std::begin(VoicingPairs), std::end(VoicingPairs), [a, b](const auto& pair) {
        return (a == pair.first && b == pair.second) || (a == pair.second && b == pair.first);
    });
}

std::vector<std::string_view> RivalPhones(std::string_view phone, bool last) {
    std::vector<std::string_view> rivals;
    for (const Rivals& r : RivalTable) {
        if (r.phone == phone) {
            for (const std::string_view rival : Split(r.rivals)) {
                if (last || !VoicingPartners(phone, rival)) {
                    rivals.push_back(rival);
                }
            }
        }
    }
    return rivals;
}

std::vector<std::string_view> VariantPhones(std::string_view phone) {
    for (const Rivals& v : VariantTable) {
        if (v.phone == phone) {
            return Split(v.rivals);
        }
    }
    return {};
}

bool SilentBritishR(const std::vector<std::string>& phones, std::size_t i) {
    return i > 0 && i < phones.size() && phones[i] == "R" && IsVowelPhone(phones[i - 1]) &&
           (i + 1 == phones.size() || !IsVowelPhone(phones[i + 1]));
}

std::string_view LessonSymbolPhonemes(int k) {
    if (k < 1 || k > static_cast<int>(std::size(LessonPhonemes))) {
        return {};
    }
    return LessonPhonemes[k - 1];
}

std::vector<std::string> LessonSymbolPhones(int k) {
    return PhonesOfEspeak(LessonSymbolPhonemes(k));
}

std::vector<std::string> SplitPhones(std::string_view phones) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < phones.size()) {
        while (at < phones.size() && (phones[at] == ' ' || phones[at] == '\t')) {
            ++at;
        }
        std::size_t end = at;
        while (end < phones.size() && phones[end] != ' ' && phones[end] != '\t') {
            ++end;
        }
        if (end > at) {
            const std::string_view name = phones.substr(at, end - at);
            if (!IsModelPhone(name) || name == SilencePhone) {
                return {};
            }
            names.emplace_back(name);
        }
        at = end;
    }
    return names;
}

} // namespace core
