#include "tools/mdpatch/cli.h"

#include <cstdio>

#include "platform/files.h"

namespace mdpatch {

std::optional<CommandLine> ParseCommandLine(Args args) {
    CommandLine cl;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-o") {
            if (cl.out || i + 1 == args.size()) return std::nullopt;
            cl.out = args[++i];
            if (cl.out->empty()) return std::nullopt;
        } else if (arg.size() > 1 && arg.front() == '-') {
            return std::nullopt;  // no other options
        } else {
            cl.inputs.emplace_back(arg);
        }
    }
    return cl;
}

int Fail(std::string_view command, const std::string& file, std::string_view problem, int line) {
    const std::string where = line > 0 ? file + ":" + std::to_string(line) : file;
    std::fprintf(stderr, "mdpatch %.*s: %s: %.*s\n", static_cast<int>(command.size()),
                 command.data(), where.c_str(), static_cast<int>(problem.size()), problem.data());
    return 1;
}

int Usage(std::string_view usage) {
    std::fprintf(stderr, "usage: mdpatch %.*s\n", static_cast<int>(usage.size()), usage.data());
    return 2;
}

std::string_view ReadProblem(const std::string& path) {
    namespace platform = md::platform;
    if (!platform::FileExists(path)) return "no such file";
    if (platform::IsDirectory(path)) return "is a folder";
    const auto reader = platform::FileReader::Open(path);
    if (!reader.IsOpen()) return "cannot open";
    if (reader.size() > platform::kMaxWholeFileSize) return "too large";
    return "cannot read";
}

}  // namespace mdpatch
