#pragma once
// The bash completion script of a command line, made from the same declarations
// its --help is made from, so the two cannot drift apart: the commands and their
// options at each level, "all" after --device, the choices of --board-type, and
// file names wherever a FILE, DOC or image is asked for.

#include <string>

namespace CLI {
class App;
}

namespace velmor::cli {

std::string BashCompletion(const CLI::App& app);

}  // namespace velmor::cli
