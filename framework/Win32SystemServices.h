// CWin32SystemServices: the system services of the running application, through Win32.
#pragma once

#include "framework/SystemServices.h"

// The real services: common dialogs, message boxes, ShellExecuteW and the kernel's queries.
class CWin32SystemServices : public ISystemServices
{
  public:
    bool ShowOpenFileDialog(HWND hOwner, const std::wstring &filter, DWORD dwFlags, size_t nBufferChars,
                            const std::wstring &initialFolder, std::vector<std::wstring> &paths) override;
    bool ShowSaveFileDialog(HWND hOwner, const std::wstring &filter, const std::wstring &defaultExt, DWORD dwFlags,
                            std::wstring &path) override;
    int ShowMessageBox(HWND hOwner, const std::wstring &text, UINT nType) override;
    void ShellOpen(const std::wstring &path) override;
    std::wstring TempFolder() override;
    std::wstring ModulePath() override;
    LANGID SystemDefaultLangId() override;
    bool FileExists(const std::wstring &path) override;
    std::wstring AppDataFolder() override;
};
