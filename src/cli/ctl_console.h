#pragma once
// velmorctl's console, the same on every platform: its arguments as UTF-8, whether
// standard error is a terminal (progress is drawn only there), and on Windows a
// console that shows UTF-8 and a standard output that passes bytes unchanged.

#include <string>
#include <vector>

namespace velmor::cli {

// Called once, first thing in main.
void PrepareConsole();

// The command line as UTF-8 words (Windows: the wide command line, not the code page's).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

bool StandardErrorIsTerminal();

}  // namespace velmor::cli
