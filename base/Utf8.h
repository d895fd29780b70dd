// UTF-8 and wide strings: UTF-16 where wchar_t has 16 bits (Windows), UTF-32 elsewhere.
#pragma once

#include <string>

// Ill-formed input becomes U+FFFD; nothing is dropped silently.
std::wstring WideFromUtf8(const std::string &text);
std::string Utf8FromWide(const std::wstring &text);
