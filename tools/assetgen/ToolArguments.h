// The content tools take at most one argument, an output path. --help (or -h) prints the usage and ends
// with status 0; another option or a second argument prints it to stderr and ends with status 2.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

// The exit status when the tool must end here; nothing when argv holds a path or no argument.
inline std::optional<int> usageStatus(int argc, char** argv, const char* usage) {
    const std::string arg = argc > 1 ? argv[1] : "";
    const bool help = arg == "--help" || arg == "-h";
    if (!help && argc <= 2 && (arg.empty() || arg[0] != '-')) return std::nullopt;
    std::fputs(usage, help ? stdout : stderr);
    return help ? 0 : 2;
}
