// File access by UTF-8 path on Windows: UTF-16 conversion and the wide-character calls.
#include "base/FileUtf8.h"

#include <cerrno>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace
{
void SetErrnoFromLastError()
{
    switch (GetLastError())
    {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        errno = EEXIST;
        break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        errno = ENOENT;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_WRITE_PROTECT:
        errno = EACCES;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    default:
        errno = EIO;
    }
}
} // namespace

FILE *OpenFileUtf8(const char *path, const char *mode)
{
    if (!path || !mode || !*path)
        return nullptr;
    return _wfopen(WideFromUtf8(path).c_str(), WideFromUtf8(mode).c_str());
}

bool RemoveFileUtf8(const char *path)
{
    return path && *path && DeleteFileW(WideFromUtf8(path).c_str()) != 0;
}

bool RenameFileUtf8(const char *from, const char *to)
{
    if (!from || !to || !*from || !*to)
        return false;
    if (MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0)
        return true;
    SetErrnoFromLastError();
    return false;
}

bool PathExistsUtf8(const char *path)
{
    return path && *path && GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SeekFile64(FILE *file, int64_t offset, int origin)
{
    return _fseeki64(file, offset, origin) == 0;
}

int64_t TellFile64(FILE *file)
{
    return _ftelli64(file);
}

FILE *CreateNewFileUtf8(const char *path)
{
    HANDLE handle = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
    {
        SetErrnoFromLastError();
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0)
    {
        CloseHandle(handle);
        DeleteFileW(WideFromUtf8(path).c_str());
        errno = EMFILE;
        return nullptr;
    }
    FILE *file = _fdopen(fd, "wb");
    if (!file)
    {
        _close(fd);
        DeleteFileW(WideFromUtf8(path).c_str());
    }
    return file;
}

bool MakePrivateFolderUtf8(const char *path)
{
    // A folder inside the user's own temporary folder inherits its access rights.
    if (CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr))
        return true;
    SetErrnoFromLastError();
    return false;
}

FileKind GetFileKindUtf8(const char *path)
{
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return FileKind::kMissing;
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? FileKind::kFolder : FileKind::kRegular;
}

bool IsWritableUtf8(const char *path)
{
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY);
}

void CopyPermissionsUtf8(const char *, FILE *)
{
    // A file that replaces another by rename takes the folder's inherited access rights, as a new file would.
}

std::string SystemTempFolderUtf8()
{
    wchar_t buffer[MAX_PATH + 2];
    const DWORD length = GetTempPathW(MAX_PATH + 2, buffer);
    return length > 0 && length <= MAX_PATH + 1 ? Utf8FromWide(std::wstring(buffer, length)) : std::string();
}
