// Where the help page lies: beside the executable.
#pragma once

#include <string>

// The executable's folder (its path up to and including the last backslash; nothing without one)
// followed by "Help\Help.htm".
std::wstring HelpPagePath(const std::wstring &modulePath);
