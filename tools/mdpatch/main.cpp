// mdpatch: command-line look into the engine's module types (and later patches).
//
//   mdpatch types    one tab-separated line per registered module type, in id order
//
// Exit status: 0 on success, 2 for a missing or unknown command.

#include <cstdio>
#include <span>
#include <string_view>

#include "document/module_registry.h"

namespace {

using Args = std::span<const char* const>;  // the arguments after the command name

int ListTypes(Args /*args*/) {
    for (const auto& [id, info] : md::Registry().modules()) {
        std::printf("%s\n", md::DescribeModuleType(*info).c_str());
    }
    return 0;
}

struct Command {
    std::string_view name;
    std::string_view usage;
    int (*run)(Args args);
};

constexpr Command kCommands[] = {
    {"types", "types    list the registered module types", &ListTypes},
};

int Usage() {
    std::fprintf(stderr, "usage: mdpatch <command> [arguments]\ncommands:\n");
    for (const Command& c : kCommands) {
        std::fprintf(stderr, "  %.*s\n", static_cast<int>(c.usage.size()), c.usage.data());
    }
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string_view name = argv[1];
    for (const Command& c : kCommands) {
        if (c.name == name) return c.run(Args(argv + 2, static_cast<size_t>(argc - 2)));
    }
    return Usage();
}
