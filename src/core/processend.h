#pragma once

namespace core {

/// Ends the process with code without running the destructors of static objects or the
/// handlers registered with atexit. For programs that have used the sound server: Qt's
/// PulseAudio engine, a static object, closes its connection at exit while its own thread may
/// still be reading from it, which now and then crashes a program that has finished its work.
/// Standard output and error are flushed first, and builds with the leak checker run it here,
/// as the exit it replaces would.
[[noreturn]] void EndProcess(int code);

} // namespace core
