// Address rules of the slide model.
#include "build/SlideModel.h"

#include <cwctype>

namespace
{
bool EqualsNoCase(const std::wstring &a, const wchar_t *b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    return i == a.size() && !b[i];
}
} // namespace

void CSlideModel::CommitUrlEdit(const std::wstring &editText)
{
    if (editText.empty() || m_images.empty() || EqualsNoCase(editText, L"http://"))
        return;
    // A stale index after remove-all is never used: the list is not empty here, and the commands
    // that fill it set the index first; guard anyway rather than write out of bounds.
    if (!HasCurrent())
        return;
    m_images[static_cast<size_t>(m_nCurSel)].strUrl = editText;
}

bool CSlideModel::ShowSlideUrl(std::wstring &editText) const
{
    if (!HasCurrent())
        return false;
    const std::wstring &url = m_images[static_cast<size_t>(m_nCurSel)].strUrl;
    editText = url.size() < 2 ? L"http://" : url;
    return true;
}
