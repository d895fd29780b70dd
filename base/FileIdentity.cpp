// File identity on POSIX systems: device and inode.
#include "base/FileIdentity.h"

#include <sys/stat.h>

bool GetFileIdentity(const char *path, FileIdentity &identity)
{
    struct stat st;
    if (!path || stat(path, &st) != 0)
        return false;
    identity.uVolume = static_cast<uint64_t>(st.st_dev);
    identity.uFile = static_cast<uint64_t>(st.st_ino);
    return true;
}
