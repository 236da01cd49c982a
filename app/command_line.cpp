#include "app/command_line.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace torvel {

namespace {

// The options QApplication and its platform plugins consume on Qt 6.4, each
// also accepted with two leading dashes as Qt does. "-style=NAME" and the like
// carry their value in the same argument.
constexpr std::string_view kQtOptionsWithValue[] = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin",
    "-qwindowgeometry", "-qwindowtitle", "-qwindowicon", "-session",
    "-style", "-stylesheet",
    // X11 (xcb) only
    "-display", "-geometry", "-title", "-icon", "-name", "-visual",
};
constexpr std::string_view kQtFlags[] = {
    "-reverse", "-widgetcount", "-testability", "-qdevel", "-qdebug",
    "-dograb", "-nograb",
};
constexpr std::string_view kQtJoinedOptions[] = {"-style=", "-stylesheet=", "-qmljsdebugger="};

constexpr const char kHelp[] =
    "Usage: torvel-calculator [OPTION]...\n"
    "Class 4A & 4B milk prices from the CME butter, CME cheese and Orvania\n"
    "weighted average powder prices, with a one-page report on the default\n"
    "printer. Without options it opens the calculator window.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "\n"
    "Qt's standard options are accepted too, for example -platform NAME,\n"
    "-style NAME and -reverse. See torvel-calculator(1).\n";

constexpr const char kVersion[] =
    "Torvel Calculator " TORVEL_VERSION "\n"
    "Class 4A & 4B Milk Price (Last updated 12/05/07)\n"
    "Internal name: TorvelCalculator\n"
    "Copyright (c) 2026 The Torvel Calculator developers\n"
    "This is free software under the MIT licence; there is NO WARRANTY.\n";

template <std::size_t N>
bool IsOneOf(std::string_view option, const std::string_view (&names)[N])
{
    for (std::string_view name : names) {
        if (option == name)
            return true;
    }
    return false;
}

bool HasJoinedQtValue(std::string_view option)
{
    for (std::string_view prefix : kQtJoinedOptions) {
        if (option.starts_with(prefix))
            return true;
    }
    return false;
}

int Print(const char* text)
{
    // A full or closed stdout (--version >/dev/full) is a failure, not a success.
    if (std::fputs(text, stdout) == EOF || std::fflush(stdout) != 0)
        return 1;
    return 0;
}

} // namespace

std::optional<int> HandleCommandLine(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h")
            return Print(kHelp);
        if (argument == "--version")
            return Print(kVersion);

        std::string_view option = argument;
        if (option.starts_with("--"))
            option.remove_prefix(1);
        if (IsOneOf(option, kQtOptionsWithValue)) {
            ++i; // its value, whatever it looks like
            continue;
        }
        if (IsOneOf(option, kQtFlags) || HasJoinedQtValue(option))
            continue;

        const char* what = argument.starts_with('-') ? "unknown option" : "unexpected argument";
        std::fprintf(stderr, "torvel-calculator: %s '%s' (try --help)\n", what, argv[i]);
        return 2;
    }
    return std::nullopt;
}

} // namespace torvel
