// mdres: lists, adds, extracts and strips the resources appended to a plug-in library file.
//
//   mdres list  FILE
//   mdres add   FILE TYPE ID DATAFILE   adds or replaces that resource, keeping the others
//   mdres get   FILE TYPE ID OUTFILE
//   mdres strip FILE
//
// Exit status: 0 on success, 1 when the operation fails, 2 on a usage error.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/resources.h"

namespace {

namespace platform = md::platform;

constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Usage() {
    std::fputs(
        "usage: mdres list  FILE\n"
        "       mdres add   FILE TYPE ID DATAFILE\n"
        "       mdres get   FILE TYPE ID OUTFILE\n"
        "       mdres strip FILE\n"
        "TYPE is case-sensitive text (the built-in patch is MD1 165); ID is a number, decimal or\n"
        "0x-prefixed hexadecimal, from 0 to 4294967295.\n",
        stderr);
    return kUsage;
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "mdres: %s\n", message.c_str());
    return kFailed;
}

std::optional<uint32_t> ParseId(std::string_view text) {
    int base = 10;
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string Describe(std::string_view type, uint32_t id) {
    return std::string(type) + " " + std::to_string(id);
}

int List(const std::string& file) {
    if (!platform::FileReader::Open(file).IsOpen()) return Fail("cannot read " + file);
    const auto resources = platform::ListResources(file);
    if (resources.empty()) {
        std::printf("%s: no resources\n", file.c_str());
        return 0;
    }
    for (const auto& r : resources) {
        std::printf("%s\t%u\t%zu bytes\n", r.type.c_str(), static_cast<unsigned>(r.id),
                    r.data.size());
    }
    return 0;
}

int Add(const std::string& file, const std::string& type, uint32_t id,
        const std::string& data_file) {
    if (type.empty()) return Fail("the resource type must not be empty");
    if (type.size() > 0xFFFF) return Fail("the resource type is longer than 65535 bytes");
    if (!platform::FileReader::Open(file).IsOpen()) return Fail("cannot read " + file);
    auto data = platform::ReadWholeFile(data_file);
    if (!data) return Fail("cannot read " + data_file);

    auto resources = platform::ListResources(file);
    bool replaced = false;
    for (auto& r : resources) {
        if (r.type == type && r.id == id) {
            r.data = std::move(*data);
            replaced = true;
            break;
        }
    }
    if (!replaced) resources.push_back({type, id, std::move(*data)});
    if (!platform::WriteResources(file, resources)) {
        return Fail("cannot write the resources to " + file);
    }
    std::printf("%s %s %s %s\n", replaced ? "replaced" : "added", Describe(type, id).c_str(),
                replaced ? "in" : "to", file.c_str());
    return 0;
}

int Get(const std::string& file, const std::string& type, uint32_t id,
        const std::string& out_file) {
    if (!platform::FileReader::Open(file).IsOpen()) return Fail("cannot read " + file);
    const auto data = platform::LoadResource(file, type, id);
    if (!data) return Fail("no resource " + Describe(type, id) + " in " + file);
    if (!platform::WriteWholeFile(out_file, *data)) return Fail("cannot write " + out_file);
    return 0;
}

int Strip(const std::string& file) {
    if (!platform::FileReader::Open(file).IsOpen()) return Fail("cannot read " + file);
    if (!platform::StripResources(file)) return Fail("cannot write " + file);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage();
    const std::string& command = args[0];

    if ((command == "list" || command == "strip") && args.size() == 2) {
        return command == "list" ? List(args[1]) : Strip(args[1]);
    }
    if ((command == "add" || command == "get") && args.size() == 5) {
        const auto id = ParseId(args[3]);
        if (!id) {
            std::fprintf(stderr, "mdres: '%s' is not a resource id\n", args[3].c_str());
            return Usage();
        }
        return command == "add" ? Add(args[1], args[2], *id, args[4])
                                : Get(args[1], args[2], *id, args[4]);
    }
    std::fprintf(stderr, "mdres: unknown command or wrong number of arguments\n");
    return Usage();
}
