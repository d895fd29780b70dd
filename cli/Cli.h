// brivelle-cli's work, apart from the process entry point, so tests can run it in-process.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the tool with the arguments after the program name (UTF-8). Messages go to `out` and `err`;
// a progress bar goes to `err` when `progressBar` is set. Returns the exit status.
int RunCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, bool progressBar);
