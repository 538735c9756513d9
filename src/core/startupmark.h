#pragma once

namespace core {

/// Notes that the start-up has reached stage, with the time of the monotonic clock, in the file
/// that the environment variable LJT_STARTUP_MARKS names (one "nanoseconds stage" line each,
/// appended); nothing without it. The start-up benchmark reads them, so that the time from the
/// program's start to the first frame is seen stage by stage.
void StartupMark(const char* stage);

} // namespace core
