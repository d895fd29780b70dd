// Temporary files and folders that an interrupted process removes before it ends.
#pragma once

#include <functional>
#include <string>

// Runs `create` (which makes the file or folder at `path`) so that an interruption sees either nothing
// or the made path; registers the path when `create` returns true. Returns what `create` returned.
bool CreateWithInterruptCleanup(const std::string &path, const std::function<bool()> &create);

// Runs `retire` (which renames or removes the path) and forgets the path, in one step against an
// interruption. Returns what `retire` returned.
bool RetireWithInterruptCleanup(const std::string &path, const std::function<bool()> &retire);

// Removes every registered path, folders with their contents. The interruption handlers call it.
void RemoveInterruptCleanupPaths();

// Sets up the removal on SIGINT, SIGTERM and SIGHUP (on Windows: Ctrl+C, Ctrl+Break and console close),
// after which the process ends with 128 + the signal's number (130, 143, 129). On POSIX systems a thread
// of its own waits for the signals, blocked in every other thread; call this before any other thread
// starts. On Windows the work in progress gets a moment to stop by itself (InterruptStatus).
void InstallInterruptCleanup();

// 0, or the exit status an interruption asked for. Work that can stop early checks it.
int InterruptStatus();
void SetInterruptStatus(int status);
