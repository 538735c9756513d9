// Compiled into the programs that link the statistics window in (tests, benchmarks): their
// window is this one, not the statistics module's.
#include "modes/statswindow.h"
#include "modes/studystatsform.h"

namespace {

[[maybe_unused]] const bool registered =
    (UseStatsWindow([](ModeHost& host, QWidget* parent) -> ModeWindow* {
         return new TStudyStatsForm(host, parent);
     }),
     true);

} // namespace
