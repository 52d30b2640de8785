// mdpatch build FILE.txt -o FILE.dat: compiles patch text into a patch archive. Files the text
// names are read relative to the text file's folder.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/patch_document.h"
#include "platform/files.h"
#include "tools/mdpatch/commands.h"
#include "tools/patch_text/patch_text.h"

namespace mdpatch {

namespace {

namespace platform = md::platform;

int Usage() {
    std::fputs("usage: mdpatch build FILE.txt -o FILE.dat\n", stderr);
    return 2;
}

int Fail(const std::string& file, int line, std::string_view problem) {
    const std::string where = line > 0 ? file + ":" + std::to_string(line) : file;
    std::fprintf(stderr, "mdpatch build: %s: %.*s\n", where.c_str(),
                 static_cast<int>(problem.size()), problem.data());
    return 1;
}

std::string_view ReadProblem(const std::string& path) {
    if (!platform::FileExists(path)) return "no such file";
    if (platform::IsDirectory(path)) return "is a folder";
    const auto reader = platform::FileReader::Open(path);
    if (!reader.IsOpen()) return "cannot open";
    if (reader.size() > platform::kMaxWholeFileSize) return "too large";
    return "cannot read";
}

}  // namespace

int RunBuild(Args args) {
    std::vector<std::string> inputs;
    std::optional<std::string> out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-o") {
            if (out || i + 1 == args.size()) return Usage();
            out = args[++i];
        } else if (arg.size() > 1 && arg.front() == '-') {
            return Usage();
        } else {
            inputs.emplace_back(arg);
        }
    }
    if (inputs.size() != 1 || !out || out->empty()) return Usage();
    const std::string& file = inputs[0];

    const auto text = platform::ReadWholeFile(file);
    if (!text) return Fail(file, 0, ReadProblem(file));

    const std::string folder(platform::FolderPart(file));
    const md::patch_text::FileLoader load = [&folder](const std::string& path) {
        return platform::ReadWholeFile(platform::JoinPath(folder, platform::NativePath(path)));
    };
    md::ApplicationFiles app;
    md::PatchDocument doc(app);
    md::patch_text::Error error;
    const std::string_view source(reinterpret_cast<const char*>(text->data()), text->size());
    if (!md::patch_text::BuildText(source, doc, load, &error)) {
        return Fail(file, error.line, error.message);
    }
    if (!platform::WriteWholeFile(*out, doc.Save())) return Fail(*out, 0, "cannot write");
    return 0;
}

}  // namespace mdpatch
