// Paths derived from a plug-in library's path; shared by every platform.
#include "platform/module_path.h"

#include "platform/files.h"

namespace md::platform {

std::string DataFolderFor(std::string_view library_path) {
    const std::string_view stem = StemOf(library_path);
    if (stem.empty()) return {};
    const std::string_view folder = FolderPart(library_path);
    const char separator = folder.empty() ? kPathSeparator : folder.back();
    std::string out(folder);
    out += stem;
    out += separator;
    return out;
}

std::string SiblingWithExtension(std::string_view library_path, std::string_view extension) {
    const std::string_view stem = StemOf(library_path);
    if (stem.empty()) return {};
    std::string out(FolderPart(library_path));
    out += stem;
    out += extension;
    return out;
}

}  // namespace md::platform
