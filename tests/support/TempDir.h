// A private temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>

class TempDir
{
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &Path() const
    {
        return m_path;
    }
    // UTF-8 path of a file inside the folder.
    std::string File(const std::string &name) const;

  private:
    std::filesystem::path m_path;
};

// Whole file as bytes; empty when it cannot be read.
std::string ReadWholeFile(const std::filesystem::path &path);
// Writes bytes to a file, replacing it. Returns true on success.
bool WriteWholeFile(const std::filesystem::path &path, const std::string &bytes);
// Bytes from a string of hex pairs separated by blanks or '|', as in "7F 05 | 08 00".
std::string HexBytes(const char *hex);
// Hex pairs separated by blanks, for readable failure messages.
std::string ToHex(const void *data, size_t size);
