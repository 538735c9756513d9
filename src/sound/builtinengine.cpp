// Compiled into the programs that link the engine in (tests, benchmarks): their engine is
// this one, not the sound module's.
#include "sound/qtengine.h"

namespace {

[[maybe_unused]] const bool registered = (sound::UseEngine(&sound::QtEngine::Instance()), true);

} // namespace
