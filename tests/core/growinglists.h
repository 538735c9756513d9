#pragma once
// The lists of the kill harness: a learner who masters or reviews one word per step while new
// words keep arriving. After step k the new-word list holds words k .. base + 2k - 1, the
// mastered list the even words below k and the review list the odd ones, so every step
// changes all three lists and the step a set of files belongs to can be read back from them.
#include <array>
#include <set>
#include <string>
#include <vector>

namespace harness {

using Lines = std::vector<std::string>;

inline std::string Word(long long i) {
    // Appended rather than `"w" + std::to_string(i)`, which GCC 12 at -O3 takes for an
    // overlapping copy (a false -Wrestrict warning).
    std::string word = "w";
    word.append(std::to_string(i)).append("[wE:d]n.词").append(std::to_string(i)).append("；单词");
    return word;
}

inline std::array<Lines, 3> ListsAt(long long step, long long base) {
    std::array<Lines, 3> lists;
    for (long long i = step; i < base + 2 * step; ++i) {
        lists[0].push_back(Word(i));
    }
    for (long long i = 0; i < step; ++i) {
        lists[i % 2 == 0 ? 1 : 2].push_back(Word(i));
    }
    return lists;
}

/// The step the three lists belong to, or -1 when they do not belong to one step together.
inline long long StepOf(const std::array<Lines, 3>& lists, long long base) {
    const long long step = static_cast<long long>(lists[1].size() + lists[2].size());
    return ListsAt(step, base) == lists ? step : -1;
}

/// Words that the lists of step saved held and that stand in none of the lists now.
inline long long LostWords(const std::array<Lines, 3>& lists, long long saved, long long base) {
    std::set<std::string> present;
    for (const auto& list : lists) {
        present.insert(list.begin(), list.end());
    }
    long long lost = 0;
    for (long long i = 0; i < base + 2 * saved; ++i) {
        lost += present.count(Word(i)) == 0 ? 1 : 0;
    }
    return lost;
}

} // namespace harness
