#pragma once

/// The module that holds the windows (file name in the program's module folder) and its entry.
inline constexpr const char* WindowsModule = "windows.so";
inline constexpr const char* WindowsEntry = "ljt_windows_main";

/// Runs the program's windows until the main window closes and returns the exit status; argc
/// and argv must live as long as the call. The entry of the windows' module.
extern "C" int ljt_windows_main(int* argc, char** argv);
