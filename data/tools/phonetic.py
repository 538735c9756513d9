"""The DFPhonetic code table (data/phonetic-codes.tsv) and the IPA normalisation of
dictionary transcriptions. Shared by the bank builder, the lesson builder and the font builder."""
import os
import re

HERE = os.path.dirname(os.path.abspath(__file__))
TABLE_PATH = os.path.join(os.path.dirname(HERE), "phonetic-codes.tsv")


def load_table(path=TABLE_PATH):
    """Returns (glyphs, ipa_to_code): glyphs maps code -> IPA drawn for it,
    ipa_to_code maps every listed IPA character (glyph or alias) -> code."""
    glyphs = {}
    ipa_to_code = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            cols = line.split("\t")
            if len(cols) != 3 or len(cols[0]) != 1 or len(cols[1]) != 1 or cols[2] not in ("glyph", "alias"):
                raise ValueError(f"{path}:{number}: malformed row {line!r}")
            code, ipa, role = cols
            if ord(code) > 0x7E or ord(code) < 0x21:
                raise ValueError(f"{path}:{number}: code {code!r} is not printable ASCII")
            if role == "glyph":
                if code in glyphs:
                    raise ValueError(f"{path}:{number}: code {code!r} has two glyphs")
                glyphs[code] = ipa
            if ipa in ipa_to_code:
                raise ValueError(f"{path}:{number}: IPA {ipa!r} listed twice")
            ipa_to_code[ipa] = code
    return glyphs, ipa_to_code


GLYPHS, IPA_TO_CODE = load_table()


def ipa_to_codes(ipa):
    """IPA text -> DFPhonetic code text; characters without a code are kept."""
    return "".join(IPA_TO_CODE.get(c, c) for c in ipa)


def codes_to_ipa(codes):
    return "".join(GLYPHS.get(c, c) for c in codes)


# Characters a cleaned transcription may hold (after normalisation, before coding).
_ALLOWED = set("abdefghijklmnopqrstuvwxzæðŋɑɒɔəɛɜɪʃʊʌʒθɡɹɾɐᵻɚɝˈˌː'():- ")


def normalise_ecdict(text):
    """ECDICT's older notation -> IPA. Returns "" when the transcription is unusable
    (stray symbols, empty), so that the caller falls back to the speech engine."""
    t = text.strip()
    # Alternatives such as "bɔnɔ'mi:; (?@) bɔnә'mi:": keep the first.
    t = t.split(";")[0].strip()
    t = t.replace("ә", "ə").replace("є", "ɛ").replace("ε", "ɛ").replace("ɡ", "g")
    t = t.replace(":", "ː").replace("'", "ˈ")
    # A comma or a full stop before a syllable is the secondary stress of the old notation.
    t = re.sub(r"[,.](?=\w)", "ˌ", t)
    t = t.strip(" .,")
    if not t or any(c not in _ALLOWED for c in t):
        return ""
    return t


def normalise_espeak(text):
    """espeak-ng's British IPA -> the classic notation the lessons teach: its "a" of cat is æ
    (the plain a only survives in the diphthongs aɪ and aʊ), "eə" is ɛə."""
    t = text.strip().replace("\n", " ")
    t = re.sub(r"a(?![ɪʊ])", "æ", t)
    t = t.replace("eə", "ɛə")
    t = re.sub(r"\s+", " ", t)
    return " ".join(_place_stress(w) for w in t.split(" "))


_VOWELS = set("aeiouæɑɒɔəɛɜɪʊʌɐᵻɚɝ")
_ONSETS = {
    "st", "sp", "sk", "sm", "sn", "sl", "sw", "pl", "pr", "bl", "br", "tr", "dr", "kl", "kr",
    "gl", "gr", "ɡl", "ɡr", "fl", "fr", "θr", "ʃr", "tw", "kw", "dw", "pj", "bj", "kj", "mj",
    "nj", "fj", "vj", "hj", "lj", "tj", "dj", "sj", "spr", "str", "skr", "spl", "skw", "tʃ", "dʒ",
    "pɹ", "bɹ", "tɹ", "dɹ", "kɹ", "ɡɹ", "fɹ", "θɹ", "ʃɹ", "spɹ", "stɹ", "skɹ",
}


def _place_stress(word):
    """The speech engine marks stress just before the vowel ("sk'uːl"); dictionaries mark it
    before the syllable and leave it out of one-syllable words."""
    nuclei = len(re.findall("[%s]+" % "".join(_VOWELS), word))
    if nuclei <= 1:
        return word.replace("ˈ", "").replace("ˌ", "")
    out = list(word)
    i = 0
    while i < len(out):
        if out[i] in "ˈˌ":
            mark = out.pop(i)
            j = i
            while j > 0 and out[j - 1] not in _VOWELS and out[j - 1] not in "ˈˌ ":
                cluster = "".join(out[j - 1:i])
                if j - 1 < i - 1 and cluster not in _ONSETS:
                    break
                j -= 1
            out.insert(j, mark)
            i += 1
        i += 1
    return "".join(out)
