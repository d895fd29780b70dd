// File identity: the same file under two names (links, case, "./a" and "../dir/a").
#pragma once

#include <cstdint>

// The volume and the file's number on it: POSIX st_dev and st_ino; on Windows the volume serial number
// and the file index.
struct FileIdentity
{
    uint64_t uVolume = 0;
    uint64_t uFile = 0;

    bool operator==(const FileIdentity &other) const
    {
        return uVolume == other.uVolume && uFile == other.uFile;
    }
};

// The identity of the file or folder a UTF-8 path names (links followed). False when it does not exist
// or cannot be examined.
bool GetFileIdentity(const char *path, FileIdentity &identity);
