// mdpatch pack FILE.dat PLUGIN -o OUT: writes a copy of the plug-in library carrying the
// archive, scrambled, as its built-in patch resource. Other resources of the library are kept;
// a patch resource already there is replaced.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/scramble.h"
#include "platform/files.h"
#include "platform/resources.h"
#include "tools/mdpatch/cli.h"

namespace mdpatch {

namespace {

namespace platform = md::platform;

int Usage() {
    return mdpatch::Usage("pack FILE.dat PLUGIN -o OUT");
}

int Fail(const std::string& file, std::string_view problem) {
    return mdpatch::Fail("pack", file, problem);
}

}  // namespace

int RunPack(Args args) {
    const std::optional<CommandLine> cl = ParseCommandLine(args);
    if (!cl || cl->inputs.size() != 2 || !cl->out) return Usage();
    const std::string& out = *cl->out;
    const std::string& archive_path = cl->inputs[0];
    const std::string& plugin_path = cl->inputs[1];

    auto archive = platform::ReadWholeFile(archive_path);
    if (!archive) return Fail(archive_path, ReadProblem(archive_path));
    const auto plugin = platform::ReadWholeFile(plugin_path);
    if (!plugin) return Fail(plugin_path, ReadProblem(plugin_path));

    md::ScrambleBytes(*archive);
    auto resources = platform::ReadResourceTable(*plugin);
    bool replaced = false;
    for (auto& r : resources) {
        if (r.type == platform::kPatchResourceType && r.id == platform::kPatchResourceId) {
            r.data = std::move(*archive);
            replaced = true;
            break;  // a table holds a type and id once
        }
    }
    if (!replaced) {
        resources.push_back({std::string(platform::kPatchResourceType), platform::kPatchResourceId,
                             std::move(*archive)});
    }
    const auto table = platform::BuildResourceTable(resources);
    if (!table) return Fail(plugin_path, "its resources can't be stored again");

    // The library's own bytes, without any table it carried, then the new table.
    std::vector<uint8_t> library(
        plugin->begin(),
        plugin->begin() + static_cast<std::ptrdiff_t>(platform::ResourceTableOffset(*plugin)));
    library.insert(library.end(), table->begin(), table->end());
    if (!platform::WriteWholeFile(out, library)) return Fail(out, "cannot write");
    return 0;
}

}  // namespace mdpatch
