#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// The phones of the US English acoustic model (the CMU set without stress), and "SIL" for
/// silence. A word's sounds are written as these names ("TH", "IH", "NG", "K").
const std::vector<std::string_view>& ModelPhones();

/// The silence phone of the model.
inline constexpr std::string_view SilencePhone = "SIL";

/// Whether name is one of ModelPhones (silence included).
bool IsModelPhone(std::string_view name);

/// Whether the phone is a vowel (diphthongs and "ER" included).
bool IsVowelPhone(std::string_view phone);

/// The phonetic symbol the learner reads for a phone ("TH" → "θ", "IY" → "iː"); empty for
/// silence and for a name that is no phone.
std::string PhoneSymbol(std::string_view phone);

/// The model phones of eSpeak NG phoneme mnemonics as its "-x" output writes them
/// ("T'INk" → TH IH NG K). Stress and pause marks are skipped, and so is a character that
/// names no phoneme, so that any text gives a (possibly empty) list.
std::vector<std::string> PhonesOfEspeak(std::string_view phonemes);

/// The length of the eSpeak NG mnemonic at the start of phonemes (the longest that names a
/// phoneme), 0 when none does there.
std::size_t EspeakMnemonicLength(std::string_view phonemes);

/// The phones a Chinese-speaking learner often says in place of phone (s for θ, w for v, the
/// voicing partner of a consonant, ɪ for iː, ...): consonants for a consonant, vowels for a
/// vowel. Empty for a phone without typical rivals. The voicing partner is a rival of the last
/// sound only (a final consonant's voicing, or a sound said alone): inside a word learners
/// rarely change it, and the model hears the partner of a stop said right there too often for
/// it to say anything.
std::vector<std::string_view> RivalPhones(std::string_view phone, bool last = true);

/// The phones the model hears where phone is said the British way (the open a of "back" heard
/// as ʌ): right inside a word, and scored against their own fit there. Never a rival.
std::vector<std::string_view> VariantPhones(std::string_view phone);

/// Whether phones[i] is an r after a vowel and before none ("car", "party"), which British
/// English does not say: left out, it is right.
bool SilentBritishR(const std::vector<std::string>& phones, std::size_t i);

/// Whether the consonant is the voiced one of a voicing pair (b of b/p).
bool IsVoiced(std::string_view phone);

/// Whether a and b are the voiced and voiceless consonants of one pair, in either order.
bool VoicingPartners(std::string_view a, std::string_view b);

/// The eSpeak NG phonemes of lesson symbol k (1..48, the lessons' button order), as its model
/// sound says it; empty outside.
std::string_view LessonSymbolPhonemes(int k);

/// The model phones of lesson symbol k (1..48, the lessons' button order); empty outside.
std::vector<std::string> LessonSymbolPhones(int k);

/// Splits a pronouncing-dictionary line's phones ("TH IH NG K") into names; a name that is not
/// a model phone makes the result empty, so a damaged entry is never aligned.
std::vector<std::string> SplitPhones(std::string_view phones);

} // namespace core
