// CFileDialog: filter conversion, the dialogs and multiple-selection results.
#include "framework/FileDialog.h"

#include "framework/WinApp.h"

CFileDialog::CFileDialog(bool bOpenFileDialog, const wchar_t *defaultExt, const wchar_t *fileName, DWORD dwFlags,
                         const wchar_t *filter, HWND hOwner)
    : m_ofn{}, m_bOpenFileDialog(bOpenFileDialog), m_strFilter(FilterFromBars(filter)),
      m_strDefaultExt(defaultExt != nullptr ? defaultExt : L""), m_ownBuffer(MAX_PATH, L'\0')
{
    if (fileName != nullptr)
        m_ownBuffer.assign(fileName, fileName + wcsnlen(fileName, MAX_PATH - 1));
    m_ownBuffer.resize(MAX_PATH, L'\0');
    m_ofn.lStructSize = sizeof(m_ofn);
    m_ofn.hwndOwner = hOwner;
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpstrFilter = m_strFilter.empty() ? nullptr : m_strFilter.c_str();
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_ownBuffer.data();
    m_ofn.nMaxFile = static_cast<DWORD>(m_ownBuffer.size());
    m_ofn.lpstrDefExt = m_strDefaultExt.empty() ? nullptr : m_strDefaultExt.c_str();
    m_ofn.Flags = dwFlags | OFN_EXPLORER | OFN_ENABLESIZING;
}

void CFileDialog::SetFileBuffer(wchar_t *buffer, DWORD nChars)
{
    m_ofn.lpstrFile = buffer;
    m_ofn.nMaxFile = nChars;
}

void CFileDialog::SetInitialFolder(const std::wstring &folder)
{
    m_strInitialFolder = folder;
    m_ofn.lpstrInitialDir = m_strInitialFolder.empty() ? nullptr : m_strInitialFolder.c_str();
}

INT_PTR CFileDialog::DoModal()
{
    const BOOL bOk = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
    return bOk ? IDOK : IDCANCEL;
}

std::vector<std::wstring> CFileDialog::GetPathNames() const
{
    if (m_ofn.lpstrFile == nullptr)
        return {};
    if ((m_ofn.Flags & OFN_ALLOWMULTISELECT) == 0)
    {
        std::wstring path = GetPathName();
        return path.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{path};
    }
    return PathsFromSelection(m_ofn.lpstrFile, m_ofn.nMaxFile);
}

std::wstring CFileDialog::GetPathName() const
{
    if (m_ofn.lpstrFile == nullptr)
        return std::wstring();
    return std::wstring(m_ofn.lpstrFile, wcsnlen(m_ofn.lpstrFile, m_ofn.nMaxFile));
}

std::wstring FilterFromBars(const wchar_t *filter)
{
    std::wstring result = filter != nullptr ? filter : L"";
    for (wchar_t &c : result)
    {
        if (c == L'|')
            c = L'\0';
    }
    // Two terminators end the list, whether or not the text ended with "||".
    while (!result.empty() && result.back() == L'\0')
        result.pop_back();
    if (!result.empty())
        result.append(2, L'\0');
    return result;
}

std::vector<std::wstring> PathsFromSelection(const wchar_t *buffer, size_t nChars)
{
    std::vector<std::wstring> names;
    size_t i = 0;
    while (i < nChars && buffer[i] != L'\0')
    {
        const size_t nLength = wcsnlen(buffer + i, nChars - i);
        names.emplace_back(buffer + i, nLength);
        i += nLength + 1;
    }
    if (names.size() <= 1)
        return names;
    std::wstring folder = names.front();
    if (folder.back() != L'\\')
        folder += L'\\';
    std::vector<std::wstring> paths;
    paths.reserve(names.size() - 1);
    for (size_t n = 1; n < names.size(); ++n)
        paths.push_back(folder + names[n]);
    return paths;
}
