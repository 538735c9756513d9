#pragma once
// The fingerprint of a learner's three lists, which the soak helper prints for every state of
// the lists it goes through and the soak checker compares with the lists it loads.
#include "core/studystate.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace soak {

/// FNV-1a over the lines of the new-word, mastered and review lists, with a separator after
/// every line and every list; 16 hexadecimal digits.
inline std::string ListDigest(const core::StudyState& state) {
    std::uint64_t hash = 14695981039346656037ull;
    const auto add = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (const core::WordList* list : {&state.NewList, &state.MasteredList, &state.ReviewList}) {
        for (const std::string& line : list->Lines()) {
            for (const char c : line) {
                add(static_cast<unsigned char>(c));
            }
            add('\n');
        }
        add('\f');
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace soak
