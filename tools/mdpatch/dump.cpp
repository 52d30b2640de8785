// mdpatch dump FILE [-o OUT.txt]: prints the patch of an archive, or of a plug-in library
// carrying one, as patch text. With -o the text goes to OUT.txt and the embedded files and
// skin bitmaps it names are written beside it, so that `mdpatch build OUT.txt` rebuilds the
// patch.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/patch_document.h"
#include "document/scramble.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/resources.h"
#include "tools/mdpatch/cli.h"
#include "tools/patch_text/patch_text.h"

namespace mdpatch {

namespace {

namespace platform = md::platform;

int Usage() {
    return mdpatch::Usage("dump FILE [-o OUT.txt]");
}

int Fail(const std::string& file, std::string_view problem) {
    return mdpatch::Fail("dump", file, problem);
}

// The archive bytes: the library's patch resource, unscrambled, else the file itself.
std::optional<std::vector<uint8_t>> PatchBytes(const std::string& path) {
    if (auto resource = platform::LoadResource(path, platform::kPatchResourceType,
                                               platform::kPatchResourceId)) {
        md::UnscrambleBytes(*resource);
        return resource;
    }
    return platform::ReadWholeFile(path);
}

bool WriteText(const std::string& path, const std::string& text) {
    const auto* begin = reinterpret_cast<const uint8_t*>(text.data());
    return platform::WriteWholeFile(path, std::span<const uint8_t>(begin, text.size()));
}

}  // namespace

int RunDump(Args args) {
    const std::optional<CommandLine> cl = ParseCommandLine(args);
    if (!cl || cl->inputs.size() != 1) return Usage();
    const std::optional<std::string>& out = cl->out;
    const std::string& file = cl->inputs[0];

    const auto bytes = PatchBytes(file);
    if (!bytes) return Fail(file, ReadProblem(file));

    // A message the load would show becomes the problem reported.
    std::string shown;
    auto previous = platform::SetMessageSink([&shown](const platform::Message& m) {
        if (shown.empty()) shown = m.text;
        return platform::MessageResult::Ok;
    });
    md::ApplicationFiles app;
    md::PatchDocument doc(app);
    md::LoadOptions options;
    options.plugin_mode = false;
    const bool loaded = doc.LoadFromBytes(*bytes, options);
    platform::SetMessageSink(std::move(previous));
    if (!loaded) {
        if (!doc.error().empty()) return Fail(file, "not a patch archive (" + doc.error() + ")");
        if (doc.header().version > md::kArchiveVersion) {
            return Fail(file, "not a patch archive, or one of a newer version (" +
                                  std::to_string(doc.header().version) + ")");
        }
        return Fail(file, shown.empty() ? "not a patch archive" : shown);
    }

    std::vector<md::patch_text::OutputFile> files;
    const std::string text = md::patch_text::Print(doc, out ? &files : nullptr);
    if (!out) {
        std::fwrite(text.data(), 1, text.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : Fail("stdout", "cannot write");
    }
    const std::string folder(platform::FolderPart(*out));
    if ((!folder.empty() && !platform::CreateFolder(folder)) || !WriteText(*out, text)) {
        return Fail(*out, "cannot write");
    }
    for (const auto& f : files) {
        const std::string path = platform::JoinPath(folder, platform::NativePath(f.path));
        const std::string parent(platform::FolderPart(path));
        if ((!parent.empty() && !platform::CreateFolder(parent)) ||
            !platform::WriteWholeFile(path, f.data)) {
            return Fail(path, "cannot write");
        }
    }
    return 0;
}

}  // namespace mdpatch
