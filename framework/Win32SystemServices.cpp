// CWin32SystemServices: the Win32 side of the system services.
#include "framework/Win32SystemServices.h"

#include "base/Path.h"
#include "framework/FileDialog.h"
#include "framework/WinApp.h"

#include <shellapi.h>
#include <shlobj.h>

bool CWin32SystemServices::ShowOpenFileDialog(HWND hOwner, const std::wstring &filter, DWORD dwFlags,
                                              size_t nBufferChars, const std::wstring &initialFolder,
                                              std::vector<std::wstring> &paths)
{
    std::vector<wchar_t> buffer(nBufferChars > 0 ? nBufferChars : MAX_PATH, L'\0');
    CFileDialog dialog(true, nullptr, nullptr, dwFlags, filter.c_str(), AfxGetSafeOwner(hOwner));
    dialog.SetFileBuffer(buffer.data(), static_cast<DWORD>(buffer.size()));
    dialog.SetInitialFolder(initialFolder);
    if (dialog.DoModal() != IDOK)
        return false;
    paths = dialog.GetPathNames();
    return true;
}

bool CWin32SystemServices::ShowSaveFileDialog(HWND hOwner, const std::wstring &filter, const std::wstring &defaultExt,
                                              DWORD dwFlags, std::wstring &path)
{
    const std::wstring name = FileNameOf(path);
    CFileDialog dialog(false, defaultExt.c_str(), name.empty() ? nullptr : name.c_str(), dwFlags, filter.c_str(),
                       AfxGetSafeOwner(hOwner));
    dialog.SetInitialFolder(FolderOf(path));
    if (dialog.DoModal() != IDOK)
        return false;
    path = dialog.GetPathName();
    return true;
}

int CWin32SystemServices::ShowMessageBox(HWND hOwner, const std::wstring &text, UINT nType)
{
    return AfxMessageBox(hOwner, text, nType);
}

void CWin32SystemServices::ShellOpen(const std::wstring &path)
{
    ::ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

std::wstring CWin32SystemServices::TempFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD nLength = ::GetTempPathW(MAX_PATH, buffer);
    if (nLength == 0 || nLength > MAX_PATH)
        return std::wstring();
    return std::wstring(buffer, nLength);
}

std::wstring CWin32SystemServices::ModulePath()
{
    return AfxGetModuleFileName();
}

LANGID CWin32SystemServices::SystemDefaultLangId()
{
    return ::GetSystemDefaultLangID();
}

bool CWin32SystemServices::FileExists(const std::wstring &path)
{
    WIN32_FIND_DATAW data{};
    HANDLE hFind = ::FindFirstFileW(path.c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(hFind);
    return true;
}

std::wstring CWin32SystemServices::AppDataFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, buffer)))
        return std::wstring();
    return buffer;
}
