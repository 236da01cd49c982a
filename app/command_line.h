#pragma once

#include <optional>

namespace torvel {

// Answers --help and --version and refuses what the program does not take,
// before Qt starts: neither needs a display, and an unknown option is an
// error rather than silently ignored. Qt's own options (-style, -platform,
// -reverse, ...) are let through for QApplication to act on; argv is left
// untouched. Returns the exit status when the program should stop here.
std::optional<int> HandleCommandLine(int argc, const char* const* argv);

} // namespace torvel
