// The settings the dialog keeps between runs, and their INI file.
#pragma once

#include "build/MovieBuilder.h"

#include <string>

// Movie size, timing and the folders the file dialogs last used. Defaults are a fresh start's.
struct DialogSettings : BuildSettings
{
    std::wstring strPictureFolder; // empty: the system's choice
    std::wstring strSaveFolder;
    std::wstring strListFolder;
};

// Sets nTarget to the decimal number the text holds (spaces around it aside) when it lies within
// [nLow, nHigh]; anything else leaves nTarget as it was.
void TakeWholeNumber(const std::string &text, int nLow, int nHigh, int &nTarget);

// Takes the values of an INI text ("[Brivelle]", "Key=Value" lines, UTF-8, LF or CRLF) into settings.
// Unknown keys, other sections, malformed lines and values out of range are ignored one by one; the
// value in settings then stays.
void ParseDialogSettings(const std::string &text, DialogSettings &settings);
std::string FormatDialogSettings(const DialogSettings &settings);

// The settings in a file, or the defaults when it is missing, unreadable or damaged.
DialogSettings LoadDialogSettings(const std::string &path);
// Writes the file atomically, creating its folder (one level) when needed. False with the reason.
bool SaveDialogSettings(const std::string &path, const DialogSettings &settings, std::string &error);
