// File access by UTF-8 path, portable part.
#include "base/FileUtf8.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FILE *OpenFileUtf8(const char *path, const char *mode)
{
    return path && mode ? std::fopen(path, mode) : nullptr;
}

bool RemoveFileUtf8(const char *path)
{
    return path && std::remove(path) == 0;
}

bool RenameFileUtf8(const char *from, const char *to)
{
    return from && to && std::rename(from, to) == 0;
}

bool PathExistsUtf8(const char *path)
{
    struct stat st;
    return path && stat(path, &st) == 0;
}

bool SeekFile64(FILE *file, int64_t offset, int origin)
{
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

int64_t TellFile64(FILE *file)
{
    return static_cast<int64_t>(ftello(file));
}

FILE *CreateNewFileUtf8(const char *path)
{
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    FILE *file = fdopen(fd, "wb");
    if (!file)
    {
        const int code = errno;
        close(fd);
        unlink(path);
        errno = code;
    }
    return file;
}

bool MakePrivateFolderUtf8(const char *path)
{
    return mkdir(path, 0700) == 0;
}

FileKind GetFileKindUtf8(const char *path)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return FileKind::kMissing;
    if (S_ISREG(st.st_mode))
        return FileKind::kRegular;
    if (S_ISDIR(st.st_mode))
        return FileKind::kFolder;
    if (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode))
        return FileKind::kStream;
    return FileKind::kOther;
}

bool IsWritableUtf8(const char *path)
{
    // A file whose mode lets nobody write it is read-only for a privileged process too.
    struct stat st;
    return faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0 && stat(path, &st) == 0 && (st.st_mode & 0222) != 0;
}

void CopyPermissionsUtf8(const char *from, FILE *to)
{
    struct stat st;
    if (stat(from, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const int fd = fileno(to);
    // Only a privileged process can give the file another owner; anyone else stays its owner. The owner
    // goes first, as a change of owner clears the set-id bits.
    const bool sameOwner = fchown(fd, st.st_uid, st.st_gid) == 0;
    (void)sameOwner;
    fchmod(fd, st.st_mode & 07777);
}

std::string SystemTempFolderUtf8()
{
    const char *folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}
#endif

int64_t FileSize64(FILE *file)
{
    if (!file || !SeekFile64(file, 0, SEEK_END))
        return -1;
    int64_t size = TellFile64(file);
    if (!SeekFile64(file, 0, SEEK_SET))
        return -1;
    return size;
}

bool RemoveTreeUtf8(const char *path)
{
    std::error_code ec;
    const std::filesystem::path tree = std::filesystem::u8path(path);
    std::filesystem::remove_all(tree, ec);
    return !std::filesystem::exists(std::filesystem::symlink_status(tree, ec));
}

std::string ErrnoText(int code)
{
    return std::strerror(code ? code : EIO);
}
