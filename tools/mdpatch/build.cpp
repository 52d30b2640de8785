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
#include "tools/mdpatch/cli.h"
#include "tools/patch_text/patch_text.h"

namespace mdpatch {

namespace {

namespace platform = md::platform;

int Usage() {
    return mdpatch::Usage("build FILE.txt -o FILE.dat");
}

int Fail(const std::string& file, int line, std::string_view problem) {
    return mdpatch::Fail("build", file, problem, line);
}

}  // namespace

int RunBuild(Args args) {
    const std::optional<CommandLine> cl = ParseCommandLine(args);
    if (!cl || cl->inputs.size() != 1 || !cl->out) return Usage();
    const std::optional<std::string>& out = cl->out;
    const std::string& file = cl->inputs[0];

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
