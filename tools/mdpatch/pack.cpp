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
#include "tools/mdpatch/commands.h"

namespace mdpatch {

namespace {

namespace platform = md::platform;

int Usage() {
    std::fputs("usage: mdpatch pack FILE.dat PLUGIN -o OUT\n", stderr);
    return 2;
}

int Fail(const std::string& file, std::string_view problem) {
    std::fprintf(stderr, "mdpatch pack: %s: %.*s\n", file.c_str(), static_cast<int>(problem.size()),
                 problem.data());
    return 1;
}

// Why `path` couldn't be read whole.
std::string_view ReadProblem(const std::string& path) {
    if (!platform::FileExists(path)) return "no such file";
    if (platform::IsDirectory(path)) return "is a folder";
    const auto reader = platform::FileReader::Open(path);
    if (!reader.IsOpen()) return "cannot open";
    if (reader.size() > platform::kMaxWholeFileSize) return "too large";
    return "cannot read";
}

}  // namespace

int RunPack(Args args) {
    std::vector<std::string> inputs;
    std::string out;
    bool have_out = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-o") {
            if (have_out || i + 1 == args.size()) return Usage();
            out = args[++i];
            have_out = true;
        } else if (arg.size() > 1 && arg.front() == '-') {
            return Usage();  // no other options
        } else {
            inputs.emplace_back(arg);
        }
    }
    if (inputs.size() != 2 || !have_out || out.empty()) return Usage();
    const std::string& archive_path = inputs[0];
    const std::string& plugin_path = inputs[1];

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
