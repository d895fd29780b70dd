// Address rules of the slide model.
#include "build/SlideModel.h"

#include <cwctype>

namespace
{
const wchar_t kBareScheme[] = L"http://";

bool EqualsNoCase(const std::wstring &a, const wchar_t *b)
{
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    return i == a.size() && !b[i];
}
} // namespace

void CSlideModel::CommitUrlEdit(int nSlide, const std::wstring &editText, bool bEdited)
{
    if (!bEdited || !IsSlide(nSlide))
        return;
    std::wstring &url = m_images[static_cast<size_t>(nSlide)].strUrl;
    if (editText.empty() || EqualsNoCase(editText, kBareScheme))
        url.clear();
    else
        url = editText;
}

std::wstring CSlideModel::UrlEditText() const
{
    if (!HasCurrent())
        return kBareScheme;
    const std::wstring &url = m_images[static_cast<size_t>(m_nCurSel)].strUrl;
    return url.size() < 2 ? kBareScheme : url;
}
