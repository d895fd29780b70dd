// CAnsweringServices: the real system services, with file dialogs that answer at once.
#pragma once

#include "framework/Win32SystemServices.h"

#include <string>
#include <vector>

// The Open dialog answers with m_openPaths and Save As with m_strSavePath, without showing; the rest
// is the real system. For programs that drive the real dialog on their own (captures, benchmarks).
class CAnsweringServices : public CWin32SystemServices
{
  public:
    bool ShowOpenFileDialog(HWND, const std::wstring &, DWORD, size_t, const std::wstring &,
                            std::vector<std::wstring> &paths) override
    {
        paths = m_openPaths;
        return true;
    }
    bool ShowSaveFileDialog(HWND, const std::wstring &, const std::wstring &, DWORD, std::wstring &path) override
    {
        path = m_strSavePath;
        return true;
    }

    std::vector<std::wstring> m_openPaths;
    std::wstring m_strSavePath;
};
