// mdpatch: command-line look into the engine's module types and patches.
//
//   mdpatch types                      one tab-separated line per registered module type
//   mdpatch dump FILE [-o OUT.txt]     a patch (archive or plug-in library) as patch text
//   mdpatch build FILE.txt -o FILE.dat patch text compiled into an archive
//   mdpatch pack FILE.dat PLUGIN -o OUT a copy of the plug-in library carrying the patch
//
// Exit status: 0 on success, 1 for bad input, 2 for a missing or unknown command.

#include <cstdio>
#include <string_view>

#include "tools/mdpatch/commands.h"

namespace {

struct Command {
    std::string_view name;
    std::string_view usage;
    int (*run)(mdpatch::Args args);
};

constexpr Command kCommands[] = {
    {"types", "types                        list the registered module types", &mdpatch::RunTypes},
    {"dump", "dump FILE [-o OUT.txt]       print a patch as patch text", &mdpatch::RunDump},
    {"build", "build FILE.txt -o FILE.dat   compile patch text into an archive",
     &mdpatch::RunBuild},
    {"pack", "pack FILE.dat PLUGIN -o OUT  copy a plug-in library with the patch embedded",
     &mdpatch::RunPack},
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
        if (c.name == name) return c.run(mdpatch::Args(argv + 2, static_cast<size_t>(argc - 2)));
    }
    return Usage();
}
