// CFileDialog: the common Open and Save As dialogs.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>
#include <vector>

// One Open or Save As dialog in the Explorer style. Filters are written "Name|pattern|Name|pattern||".
// The file-name buffer is the caller's when given (a large one for many selected files), else our own.
class CFileDialog
{
  public:
    CFileDialog(bool bOpenFileDialog, const wchar_t *defaultExt, const wchar_t *fileName, DWORD dwFlags,
                const wchar_t *filter, HWND hOwner);
    CFileDialog(const CFileDialog &) = delete;
    CFileDialog &operator=(const CFileDialog &) = delete;

    // Uses the caller's buffer of nChars characters for the chosen names; it must outlive DoModal.
    void SetFileBuffer(wchar_t *buffer, DWORD nChars);
    // The folder the dialog starts in; empty leaves the choice to the system.
    void SetInitialFolder(const std::wstring &folder);
    // IDOK when the user confirmed, else IDCANCEL.
    INT_PTR DoModal();
    // The full path of every chosen file, in the order the dialog reports them.
    std::vector<std::wstring> GetPathNames() const;
    std::wstring GetPathName() const;

    OPENFILENAMEW m_ofn;

  private:
    bool m_bOpenFileDialog;
    std::wstring m_strFilter; // NUL-separated
    std::wstring m_strDefaultExt;
    std::wstring m_strInitialFolder;
    std::vector<wchar_t> m_ownBuffer;
};

// "A|b|C|d||" becomes "A\0b\0C\0d\0\0".
std::wstring FilterFromBars(const wchar_t *filter);
// The names in a file dialog's result buffer: one full path, or a folder followed by names
// (Explorer multiple selection), each NUL-terminated, the list ended by an empty string.
std::vector<std::wstring> PathsFromSelection(const wchar_t *buffer, size_t nChars);
