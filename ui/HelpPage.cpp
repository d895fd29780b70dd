// The help page's path from the executable's path.
#include "ui/HelpPage.h"

#include "base/Path.h"

std::wstring HelpPagePath(const std::wstring &modulePath)
{
    return FolderOf(modulePath) + L"Help\\Help.htm";
}
