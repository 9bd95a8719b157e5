#pragma once

// What the program and its window module share. The module carries its own copy of the core
// libraries, so only plain data crosses: the module does the whole start-up of the windowed
// program itself.

extern "C" {

// Raised whenever the layout below changes; the entry refuses options of another layout.
#define TREVISK_WINDOWS_LAYOUT 1

struct TreviskWindowsOptions
{
    int layout;          // TREVISK_WINDOWS_LAYOUT of the program
    const char* version; // the program's version: a module of another one is refused
    int argc;
    char** argv;
    const char* dataDir;    // UTF-8; empty: the default folder
    const char* configFile; // UTF-8; empty: the per-user store
    int statusSeconds;
    int demo; // 1: the demo's simulated servers rather than the user's list
};

// Runs the windowed monitor (or demo) to its end and returns the process exit code.
int trevisk_windows_main(const TreviskWindowsOptions* given);
typedef int (*TreviskWindowsMain)(const TreviskWindowsOptions* options);
}

namespace trevisk {

inline constexpr char WindowsModuleFile[] = "libtrevisk-windows.so";
inline constexpr char WindowsEntryName[] = "trevisk_windows_main";

} // namespace trevisk
