// Paths split into folder and name, and joined again, in UTF-8 or wide text.
#pragma once

#include <string>

// '/' everywhere; '\\' too on Windows (elsewhere it is an ordinary character of a name).
bool IsPathSeparator(wchar_t c);

// Everything up to and including the last separator; empty when there is none.
std::string FolderOf(const std::string &path);
std::wstring FolderOf(const std::wstring &path);

// What follows the last separator: the whole path when there is none.
std::string FileNameOf(const std::string &path);
std::wstring FileNameOf(const std::wstring &path);

// The text after the last dot of the file name, in lower case; empty when the name has no dot.
std::wstring LowerExtensionOf(const std::wstring &path);

// The folder and the name with one separator between them (the platform's own when the folder has none).
std::string JoinPath(const std::string &folder, const std::string &name);
std::wstring JoinPath(const std::wstring &folder, const std::wstring &name);
