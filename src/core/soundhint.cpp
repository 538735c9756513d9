#include "soundhint.h"

#include "phoneset.h"

#include <string_view>

namespace core {

namespace {

struct Confusion {
    std::string_view expected;
    std::string_view heard; ///< empty: any phone heard in its place
    std::string_view advice;
};

// The confusions Chinese-speaking learners make most, each with the way to the right sound.
constexpr Confusion Confusions[] = {
    {"TH", "S", "舌尖放在上下齿之间，轻轻送气"},
    {"TH", "F", "舌尖放在上下齿之间，不要用上齿咬下唇"},
    {"TH", "T", "舌尖放在上下齿之间，让气流从缝中持续摩擦"},
    {"DH", "D", "舌尖放在上下齿之间，声带振动，气流不要爆破"},
    {"DH", "Z", "舌尖放在上下齿之间，声带振动"},
    {"V", "W", "上齿轻触下唇，让气流从齿唇间摩擦而出"},
    {"V", "B", "上齿轻触下唇，不要双唇紧闭"},
    {"W", "V", "双唇收圆向前突出，牙齿不要碰下唇"},
    {"R", "L", "舌尖向上卷起，但不要碰到上颚"},
    {"L", "R", "舌尖抵住上齿龈，不要卷舌"},
    {"L", "N", "舌尖抵住上齿龈，让气流从舌头两侧出来，不要从鼻子出"},
    {"N", "L", "舌尖抵住上齿龈，让气流从鼻腔出来"},
    {"IY", "IH", "嘴角向两边咧开，把音拉长"},
    {"IH", "IY", "短而放松，不要拉长，嘴不要咧得太开"},
    {"AE", "EH", "嘴张得更大，舌位放低，下巴向下拉"},
    {"EH", "AE", "嘴不要张得太大，舌位稍高"},
    {"SH", "S", "双唇略向前突，舌身抬向硬腭"},
    {"S", "SH", "舌尖靠近上齿龈，嘴唇不要突出"},
    {"ZH", "Z", "双唇略向前突，舌身抬向硬腭，声带振动"},
    {"Z", "S", "声带要振动，像蜜蜂的嗡嗡声"},
};

std::string GradeWords(SoundGrade grade) {
    switch (grade) {
    case SoundGrade::Good:
        return "好";
    case SoundGrade::Close:
        return "接近";
    case SoundGrade::Wrong:
        break;
    }
    return "不对";
}

} // namespace

std::string VerdictWords(Verdict verdict) {
    switch (verdict) {
    case Verdict::VeryGood:
        return "很好";
    case Verdict::Close:
        return "接近";
    case Verdict::TryAgain:
        break;
    }
    return "再试一次";
}

std::string SoundHint(const SoundResult& sound) {
    if (sound.grade == SoundGrade::Good) {
        return {};
    }
    const std::string symbol = sound.symbol.empty() ? sound.phone : sound.symbol;
    switch (sound.fault) {
    case SoundFault::Dropped:
        return "词尾的 " + symbol + " 没有读出来：结尾的辅音要轻轻读出，不要吞掉";
    case SoundFault::ExtraVowel:
        return symbol + " 后面多了一个元音：词尾的辅音读完就停，不要加“额”";
    case SoundFault::Substituted:
    case SoundFault::None:
        break;
    }
    if (sound.heardAs.empty()) {
        return symbol + " 不够清楚：再听一遍示范，注意这个音的口型";
    }
    const std::string heard = PhoneSymbol(sound.heardAs);
    const std::string prefix = symbol + " 听起来像 " + heard + "：";
    for (const Confusion& c : Confusions) {
        if (c.expected == sound.phone && c.heard == sound.heardAs) {
            return prefix + std::string(c.advice);
        }
    }
    if (sound.final && VoicingPartners(sound.phone, sound.heardAs)) {
        return prefix + (IsVoiced(sound.phone) ? "词尾的浊辅音要带声，前面的元音读得稍长"
                                               : "词尾的清辅音不要带声，前面的元音读得短一些");
    }
    return prefix + "再听一遍示范，注意这个音的口型";
}

std::string ScoresHint(const SoundScores& scores) {
    if (scores.wordMissed) {
        return "听起来不像这个单词：先听一遍示范，再把整个词跟读出来";
    }
    if (scores.worst < 0 || static_cast<std::size_t>(scores.worst) >= scores.sounds.size()) {
        return {};
    }
    return SoundHint(scores.sounds[static_cast<std::size_t>(scores.worst)]);
}

std::string DescribeSoundScores(const SoundScores& scores) {
    std::string text =
        "得分 " + std::to_string(scores.Rounded()) + "，" + VerdictWords(scores.verdict) + "。";
    if (scores.sounds.empty()) {
        return text;
    }
    text += "各个音：";
    for (std::size_t i = 0; i < scores.sounds.size(); ++i) {
        const SoundResult& s = scores.sounds[i];
        text += (i > 0 ? "，" : "") + (s.symbol.empty() ? s.phone : s.symbol) + " " +
                GradeWords(s.grade);
    }
    text += "。";
    if (const std::string hint = ScoresHint(scores); !hint.empty()) {
        text += hint + "。";
    }
    return text;
}

} // namespace core
