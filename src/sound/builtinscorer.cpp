// Compiled into the programs that link the scorer in (tests, benchmarks): their scorer is this
// one, not the scorer module's.
#include "sound/lazyscorer.h"
#include "sound/scorerfunctions.h"

namespace {

[[maybe_unused]] const bool registered = (sound::UseScorer(&sound::LinkedScorerFunctions()), true);

} // namespace
