// libFuzzer target of the archive reader. Any input must either be refused cleanly or load;
// a loaded patch must be saved, loaded again and saved to the same bytes. A mismatch aborts,
// as a crash would.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <vector>

#include "document/patch_document.h"
#include "fuzz/fuzz_module_types.h"
#include "platform/message_box.h"

namespace {

md::LoadOptions ToolMode() {
    md::LoadOptions o;
    o.plugin_mode = false;
    return o;
}

const md::LoadOptions kToolMode = ToolMode();

[[noreturn]] void Fail(const char* what, const std::vector<uint8_t>& first,
                       const std::vector<uint8_t>* second) {
    std::fprintf(stderr, "fuzz_archive: %s (first save %zu bytes", what, first.size());
    if (second != nullptr) {
        size_t at = 0;
        while (at < first.size() && at < second->size() && first[at] == (*second)[at]) ++at;
        std::fprintf(stderr, ", second save %zu bytes, first difference at byte %zu",
                     second->size(), at);
    }
    std::fprintf(stderr, ")\n");
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Load messages (newer version, ...) would flood the output.
    md::platform::SetMessageSink(
        [](const md::platform::Message&) { return md::platform::MessageResult::Ok; });
    md::fuzz::RegisterFuzzModuleTypes();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> first;
    {
        md::ApplicationFiles app;
        md::PatchDocument doc(app);
        if (!doc.LoadFromBytes(std::span<const uint8_t>(data, size), kToolMode)) return 0;
        first = doc.Save();
    }
    md::ApplicationFiles app;
    md::PatchDocument doc(app);
    if (!doc.LoadFromBytes(first, kToolMode)) {
        std::fprintf(stderr, "fuzz_archive: reloading failed: %s\n", doc.error().c_str());
        Fail("what the writer wrote doesn't load", first, nullptr);
    }
    const std::vector<uint8_t> second = doc.Save();
    if (second != first) Fail("saving a reloaded patch gives other bytes", first, &second);
    return 0;
}
