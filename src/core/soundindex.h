#pragma once
#include "status.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace core {

/// The sound index: an INI text (GB18030) whose section "Mywav" maps a word to the name of
/// its recording. Keys and the section name match without regard to letter case.
class SoundIndexFile {
public:
    /// Opens path; a missing file is not an error and gives an empty index.
    Status Open(const std::string& path);
    /// Parses INI text already decoded to UTF-8.
    void Parse(std::string_view text);
    /// The value of key word (trimmed before lookup); empty when the key is absent.
    std::string Value(std::string_view word) const;
    std::size_t size() const { return values_.size(); }
    bool empty() const { return values_.empty(); }

private:
    std::unordered_map<std::string, std::string> values_; // folded key -> value
};

} // namespace core
