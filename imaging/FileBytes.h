// Whole-file reads and all-or-nothing writes by UTF-8 path, for the codecs that work on memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Largest file read into memory: an uncompressed picture at the pixel budget fits well within it.
constexpr int64_t kMaxFileBytes = 512 * 1024 * 1024;

// Reads the whole file into bytes, reusing its buffer. On failure returns false with what went wrong
// (without the path) and bytes empty.
bool ReadFileBytes(const char *pathUtf8, std::vector<uint8_t> &bytes, std::string &error);

// Reads at most `count` bytes from the start of the file (fewer when it is shorter). On failure returns
// false with what went wrong (without the path).
bool ReadFilePrefix(const char *pathUtf8, size_t count, std::vector<uint8_t> &bytes, std::string &error);

// Writes the bytes as the new version of the file (CFileReplacement), so the target is
// either the complete new file or left as it was. On failure returns false with what went wrong.
bool WriteFileReplacing(const char *pathUtf8, const uint8_t *data, size_t size, std::string &error);
