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

// Creates a file that does not exist yet, for writing, in one step (O_EXCL, CREATE_NEW): never a file
// someone else made. Null with errno set on failure (EEXIST when the name is taken).
FILE *CreateNewFileUtf8(const char *path);

// Makes a folder that does not exist yet; where the system has modes, only its owner may enter it
// (0700). False with errno set (EEXIST when the name is taken).
bool MakePrivateFolderUtf8(const char *path);

// Removes a file or a folder with everything in it. True when nothing of it is left.
bool RemoveTreeUtf8(const char *path);

enum class FileKind
{
    kMissing,
    kRegular,
    kFolder,
    kStream, // a FIFO or a character device: written as a stream, never replaced
    kOther,
};
// What a UTF-8 path names, links followed.
FileKind GetFileKindUtf8(const char *path);

// False when an existing file may not be written by this process, or its mode lets nobody write it
// (read-only).
bool IsWritableUtf8(const char *path);

// Gives an open new file the permission bits (and, where allowed, the owner) of an existing file.
void CopyPermissionsUtf8(const char *from, FILE *to);

// The system's temporary folder (TMPDIR or /tmp; on Windows GetTempPath), as UTF-8.
std::string SystemTempFolderUtf8();

// The text of an errno value; EIO's when it is 0.
std::string ErrnoText(int code);

// How text files we write end their lines: CRLF on Windows, LF elsewhere.
#ifdef _WIN32
constexpr const char *kTextLineEnd = "\r\n";
#else
constexpr const char *kTextLineEnd = "\n";
#endif
