// What the mdpatch commands share: argument parsing, the one-line error report, and why a file
// could not be read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/mdpatch/commands.h"

namespace mdpatch {

struct CommandLine {
    std::vector<std::string> inputs;
    std::optional<std::string> out;  // after -o
};

// The file arguments and an optional "-o OUT"; nullopt for any other option, a repeated or
// empty -o.
std::optional<CommandLine> ParseCommandLine(Args args);

// Prints "mdpatch <command>: <file>[:<line>]: <problem>" on stderr; returns exit status 1.
int Fail(std::string_view command, const std::string& file, std::string_view problem, int line = 0);

// Prints the command's usage line on stderr; returns exit status 2.
int Usage(std::string_view usage);

// Why ReadWholeFile(path) failed: "no such file", "is a folder", "cannot open", "too large"
// or "cannot read".
std::string_view ReadProblem(const std::string& path);

}  // namespace mdpatch
