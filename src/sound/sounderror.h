#pragma once
#include <stdexcept>
#include <string>

namespace sound {

/// A failed sound operation (missing file, device that cannot open, unknown format). The text
/// names the file; it is thrown out of the call so that the calling handler ends and the
/// application's general error display shows it.
class SoundError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace sound
