// All-or-nothing file writes: a new file beside the target, renamed over it once complete.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

// A new version of a file. Its bytes go to a sibling whose name is created exclusively (never a file
// someone else made); Commit renames the sibling over the target, which keeps the target's permission
// bits. Until then the target is untouched, and the sibling is removed when the object goes or the
// process is interrupted.
class CFileReplacement
{
  public:
    CFileReplacement() = default;
    ~CFileReplacement();
    CFileReplacement(const CFileReplacement &) = delete;
    CFileReplacement &operator=(const CFileReplacement &) = delete;

    // Creates the sibling of `target` (UTF-8). Refuses a target that exists and may not be written
    // (read-only). False with the reason.
    bool Open(const std::string &target, std::string &error);
    // The sibling, open for writing; null before Open.
    FILE *File() const
    {
        return m_pFile.get();
    }
    // Completes the sibling and puts it in the target's place. False with the reason; the target is
    // then as it was and the sibling gone.
    bool Commit(std::string &error);

  private:
    struct FileCloser
    {
        void operator()(FILE *file) const;
    };
    void Discard();

    std::string m_strTarget;
    std::string m_strPartial;
    std::unique_ptr<FILE, FileCloser> m_pFile;
};

// The bytes as the new version of the file at `path`. False with the reason.
bool WriteFileReplacingUtf8(const char *path, const void *data, size_t size, std::string &error);

// A copy of `from` as the new version of `to`. False with a message that names the file at fault.
bool CopyFileReplaceUtf8(const char *from, const char *to, std::string &error);

// Copies what is left of `from` to `to`, stopping early when the process is interrupted. False with
// errno set when a read or a write fails (EINTR for an interruption).
bool CopyStreamBytes(FILE *from, FILE *to);
