// File access by UTF-8 path on Windows: UTF-16 conversion and the wide-character calls.
#include "base/FileUtf8.h"

#include <windows.h>

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
    return MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0;
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
