// Where the running program lives.
#pragma once

#include <string>

// The full path of the running executable as UTF-8; empty when the system cannot tell.
std::string ProgramPathUtf8();
