// The dialog's settings file: values survive a write and a read; damage costs only the damaged value.
#include "build/DialogSettings.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(DialogSettingsTest, SavedSettingsLoadBackAndAMissingFileGivesDefaults)
{
    TempDir dir;
    const std::string path = dir.File("Brivelle") + "/Brivelle.ini";
    EXPECT_EQ(256, LoadDialogSettings(path).nWidth);

    DialogSettings saved;
    saved.nWidth = 65500;
    saved.nHeight = 8;
    saved.bFpsMode = false;
    saved.nFps = 999999;
    saved.nDelay = 7;
    saved.strPictureFolder = L"C:\\Bilder\\Urlaub 2026\\";
    saved.strSaveFolder = L"D:\\电影\\";
    saved.strListFolder = L"\\\\server\\share\\lists\\";
    std::string error;
    ASSERT_TRUE(SaveDialogSettings(path, saved, error)) << error;
    const DialogSettings loaded = LoadDialogSettings(path);
    EXPECT_EQ(saved.nWidth, loaded.nWidth);
    EXPECT_EQ(saved.nHeight, loaded.nHeight);
    EXPECT_EQ(saved.bFpsMode, loaded.bFpsMode);
    EXPECT_EQ(saved.nFps, loaded.nFps);
    EXPECT_EQ(saved.nDelay, loaded.nDelay);
    EXPECT_EQ(saved.strPictureFolder, loaded.strPictureFolder);
    EXPECT_EQ(saved.strSaveFolder, loaded.strSaveFolder);
    EXPECT_EQ(saved.strListFolder, loaded.strListFolder);
}

TEST(DialogSettingsTest, DamagedValuesAreIgnoredOneByOne)
{
    const struct
    {
        const char *text;
        int nWidth, nHeight, nFps;
        bool bFpsMode;
        const wchar_t *pszPictureFolder;
    } kCases[] = {
        {"[Brivelle]\r\nWidth=640\r\nHeight=7\r\nFps=0\r\nTiming=delay\r\n", 640, 192, 1, false, L""},
        {"\xEF\xBB\xBF[Brivelle]\nWidth = 65501\nHeight=480\nFps=25\nTiming=slow\n", 256, 480, 25, true, L""},
        {"[Brivelle]\nWidth=-640\nHeight=48O\nFps=99999999999\nPictureFolder=C:\\x\xFF\\\n", 256, 192, 1, true, L""},
        {"[Other]\nWidth=640\n[Brivelle]\nHeight=300\nnonsense\n=5\nPictureFolder= C:\\p\\ \n", 256, 300, 1, true,
         L"C:\\p\\"},
        {"\xFF\xFE[", 256, 192, 1, true, L""}, // UTF-16
        {"", 256, 192, 1, true, L""},
    };
    for (const auto &c : kCases)
    {
        SCOPED_TRACE(c.text);
        DialogSettings settings;
        ParseDialogSettings(c.text, settings);
        EXPECT_EQ(c.nWidth, settings.nWidth);
        EXPECT_EQ(c.nHeight, settings.nHeight);
        EXPECT_EQ(c.nFps, settings.nFps);
        EXPECT_EQ(c.bFpsMode, settings.bFpsMode);
        EXPECT_EQ(std::wstring(c.pszPictureFolder), settings.strPictureFolder);
    }
}
