// File access by UTF-8 path: wide-character calls on Windows, so any file name works.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/Utf8.h"

// Opens a file like fopen; the path is UTF-8. Returns null on failure.
FILE *OpenFileUtf8(const char *path, const char *mode);

// Deletes a file. Returns true when it is gone.
bool RemoveFileUtf8(const char *path);

// Renames a file, replacing an existing target. Returns true on success.
bool RenameFileUtf8(const char *from, const char *to);

// True when the path names an existing file or folder.
bool PathExistsUtf8(const char *path);

// 64-bit seek and tell on an open stream.
bool SeekFile64(FILE *file, int64_t offset, int origin);
int64_t TellFile64(FILE *file);

// Size of an open stream in bytes, or -1. The position is left at the start.
int64_t FileSize64(FILE *file);

// Copies a file so that the target is either the complete copy or left as it was: the bytes go to a
// new file beside the target, which then replaces it. Returns false with a message on failure.
bool CopyFileReplaceUtf8(const char *from, const char *to, std::string &error);
