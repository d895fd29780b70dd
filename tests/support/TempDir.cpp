// Temporary folders and small file helpers for tests.
#include "support/TempDir.h"

#include <atomic>
#include <cctype>
#include <chrono>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;)
    {
        std::ostringstream name;
        name << "brivelle-test-" << stamp << '-' << counter++;
        m_path = fs::temp_directory_path() / name.str();
        std::error_code ec;
        if (fs::create_directory(m_path, ec))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

std::string TempDir::File(const std::string &name) const
{
    auto u8 = (m_path / fs::u8path(name)).u8string();
    return std::string(u8.begin(), u8.end());
}

std::string ReadWholeFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::string();
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool WriteWholeFile(const fs::path &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::string HexBytes(const char *hex)
{
    std::string bytes;
    int high = -1;
    for (const char *p = hex; *p; ++p)
    {
        int c = std::tolower(static_cast<unsigned char>(*p));
        int v = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
        if (v < 0)
            continue;
        if (high < 0)
            high = v;
        else
        {
            bytes.push_back(static_cast<char>(high * 16 + v));
            high = -1;
        }
    }
    return bytes;
}

std::string ToHex(const void *data, size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    const unsigned char *p = static_cast<const unsigned char *>(data);
    for (size_t i = 0; i < size; ++i)
    {
        if (i)
            text.push_back(' ');
        text.push_back(digits[p[i] >> 4]);
        text.push_back(digits[p[i] & 15]);
    }
    return text;
}
