// The help page's path from the executable's path.
#include "ui/HelpPage.h"

std::wstring HelpPagePath(const std::wstring &modulePath)
{
    const size_t nSlash = modulePath.rfind(L'\\');
    const std::wstring folder = nSlash == std::wstring::npos ? std::wstring() : modulePath.substr(0, nSlash + 1);
    return folder + L"Help\\Help.htm";
}
