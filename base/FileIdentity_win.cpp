// File identity on Windows: volume serial number and file index of an open handle.
#include "base/FileIdentity.h"

#include "base/Utf8.h"

#include <windows.h>

bool GetFileIdentity(const char *path, FileIdentity &identity)
{
    if (!path || !*path)
        return false;
    // Backup semantics open folders too; no access beyond the attributes, every sharing mode allowed.
    HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!ok)
        return false;
    identity.uVolume = info.dwVolumeSerialNumber;
    identity.uFile = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}
