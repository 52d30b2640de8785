#include "document/patch_document.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "document/container.h"
#include "document/embedded_file_record.h"
#include "document/module_registry.h"
#include "document/scramble.h"
#include "gui/skin_records.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/module_path.h"
#include "platform/resources.h"
#include "platform/threads.h"

namespace md {

MD_DEFINE_SERIAL_CLASS(imbedded_file, 1, false, ArchObject);

void imbedded_file::Serialize(Archive& ar) {
    ar.Text(file.name);
    int32_t size = static_cast<int32_t>(file.data.size());
    ar.Int32(size);
    if (size < 0) throw ArchiveError("negative embedded file size");
    ar.Bytes(file.data, static_cast<uint32_t>(size));
}

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The file-name part of a stored name, whichever separator it uses.
std::string_view StoredFileName(std::string_view name) {
    const size_t cut = name.find_last_of("\\/");
    return cut == std::string_view::npos ? name : name.substr(cut + 1);
}

bool StaysInMemory(std::string_view name) {
    const std::string_view file = StoredFileName(name);
    const size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view ext = file.substr(dot + 1);
    return ext == "mid" || ext == "wav" || ext == "sf2";
}

std::string Format(const char* format, const char* a, const char* b) {
    char buffer[2048];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

}  // namespace

ApplicationFiles::ApplicationFiles() = default;
ApplicationFiles::~ApplicationFiles() = default;
ApplicationFiles::ApplicationFiles(ApplicationFiles&&) noexcept = default;
ApplicationFiles& ApplicationFiles::operator=(ApplicationFiles&&) noexcept = default;

SkinInfo* ApplicationFiles::FindSkin(std::string_view name) const {
    for (const auto& s : skins) {
        if (EqualNoCase(s->name(), name)) return s.get();
    }
    return nullptr;
}

PatchDocument::PatchDocument(ApplicationFiles& app) : app_(app) {}
PatchDocument::~PatchDocument() = default;

void PatchDocument::set_root(std::unique_ptr<CContainer> root) {
    root_ = std::move(root);
    if (root_) root_->set_document(this);
}

bool PatchDocument::Load(const std::string& library_path) {
    root_.reset();
    loose_.clear();
    LoadOptions options;
    options.library_path = library_path;
    options.data_folder = Registry().DataFolder();

    std::vector<uint8_t> bytes;
    if (auto resource = platform::LoadResource(library_path, platform::kPatchResourceType,
                                               platform::kPatchResourceId)) {
        bytes = std::move(*resource);
        UnscrambleBytes(bytes);
    } else {
        const std::string dat = platform::SiblingWithExtension(library_path, ".dat");
        auto file = dat.empty() ? std::nullopt : platform::ReadWholeFile(dat);
        if (!file) {
            const std::string stem(platform::StemOf(dat.empty() ? library_path : dat));
            platform::ShowMessage(Format(load_message::kNoDataFile, stem.c_str(), dat.c_str()),
                                  platform::MessageIcon::Warning);
            return false;
        }
        bytes = std::move(*file);
    }
    if (LoadFromBytes(bytes, options)) return true;
    if (!error_.empty()) {
        const std::string name(platform::FileNamePart(library_path));
        platform::ShowMessage(
            name + ": Can't load the patch, its data is damaged. (" + error_ + ")",
            platform::MessageIcon::Warning);
    }
    return false;
}

namespace {

// The stack the archive is read on, and the record nesting it bears. Records nest deeply in
// big patches (a plug's connections hold the plugs at their other ends, which hold theirs
// ...); one level takes well under 8 KiB of stack, sanitizers included.
constexpr size_t kLoadStackBytes = sizeof(void*) >= 8 ? size_t{256} << 20 : size_t{32} << 20;
constexpr int kLoadMaxDepth = static_cast<int>(kLoadStackBytes / 8192);

}  // namespace

bool PatchDocument::LoadFromBytes(std::span<const uint8_t> bytes, const LoadOptions& options) {
    root_.reset();
    loose_.clear();
    files_.clear();
    error_.clear();
    data_folder_ = options.data_folder;
    header_ = DocumentHeader{};
    bool loaded = false;
    const auto load = [&](int max_depth) {
        try {
            loaded = ReadArchive(bytes, options, max_depth);
        } catch (const std::exception& e) {
            error_ = e.what();
        }
    };
    if (!platform::RunWithStack(kLoadStackBytes, [&] { load(kLoadMaxDepth); })) {
        load(Archive::kMaxDepth);
    }
    if (loaded) return true;
    root_.reset();
    loose_.clear();
    files_.clear();
    return false;
}

bool PatchDocument::ReadArchive(std::span<const uint8_t> bytes, const LoadOptions& options,
                                int max_depth) {
    Archive ar = Archive::ForLoading(bytes);
    ar.set_max_depth(max_depth);
    int32_t version = 0;
    ar.Int32(version);
    header_.version = version;
    if (version > kArchiveVersion) {
        char text[256];
        std::snprintf(text, sizeof text, load_message::kNewerVersion, version * 0.01);
        platform::ShowMessage(text, platform::MessageIcon::Information);
        return false;
    }
    ar.set_v(version);
    std::unique_ptr<CContainer> root;
    std::vector<EmbeddedFile> files;
    SerializeHeader(ar, &root, files, options);
    if (!root) return false;
    loose_ = ar.TakeLooseObjects();
    TakeEmbeddedFiles(std::move(files), options);
    set_root(std::move(root));
    root_->CompleteLoad();
    if (version <= 56) {
        // Files this old don't store the editor size: the patch's panel window gives it.
        const Rect& r = root_->panel_view_rect;
        header_.panel_width = r.right - r.left;
        header_.panel_height = r.bottom - r.top;
    }
    return true;
}

std::vector<uint8_t> PatchDocument::Save() const {
    Archive ar = Archive::ForStoring();
    int32_t version = kArchiveVersion;
    ar.Int32(version);
    std::vector<EmbeddedFile> files = files_;
    // A storing archive only reads the fields it is handed.
    const_cast<PatchDocument*>(this)->SerializeHeader(ar, nullptr, files, LoadOptions{});
    return ar.TakeBytes();
}

void PatchDocument::SerializeHeader(Archive& ar, std::unique_ptr<CContainer>* root,
                                    std::vector<EmbeddedFile>& files, const LoadOptions& options) {
    const int32_t v = ar.v();
    DocumentHeader& h = header_;
    if (v > 82) {
        std::vector<std::unique_ptr<imbedded_file>> records;
        if (ar.IsStoring()) {
            for (const EmbeddedFile& f : files)
                records.push_back(std::make_unique<imbedded_file>(f));
        }
        ar.OwnedList(records);
        if (ar.IsLoading()) {
            for (auto& r : records) {
                if (!r) throw ArchiveError("null embedded file");
                files.push_back(std::move(r->file));
                ar.Keep(std::move(r));
            }
        }
    }
    std::string ignored;
    if (v > 15 && v < 49) ar.Text(ignored);
    if (v > 20 && v < 48) ar.Padding(3 * 60);
    ar.Text(h.document_text);
    if (v >= 9) ar.Bool32(h.document_flag);
    if (v > 19 && v < 94960) {
        int32_t old = 0;
        ar.Int32(old);
    }
    if (v > 44) ar.Bool32(h.global_flag);
    if (v > 55) ar.Text(h.plugin_id);
    if (v > 61) ar.Text(h.text2);
    if (v > 57) {
        ar.Bool32(h.option_flag);
        ar.Text(h.option_text);
    }
    if (v > 63) ar.Bool32(h.can_mono);
    if (v > 56) {
        ar.Int32(h.panel_width);
        ar.Int32(h.panel_height);
    }
    if (v > 68) {
        ar.Int32(h.vst_flags);
        ar.Int32(h.program_count);
    }
    if (v > 70) ar.Text(h.vendor_text);
    if (v > 85) ar.Text(h.text3);
    if (v > 68 && v < 94400) ar.Text(ignored);
    if (v > 68) ar.Text(h.product_text);
    if (v > 55) {
        int32_t skin_flag = app_.skins.empty() ? 0 : 1;
        ar.Int32(skin_flag);
        if (skin_flag != 0) {
            int32_t n = static_cast<int32_t>(app_.skins.size());
            if (v > 58) {
                ar.Int32(n);
            } else {
                n = 1;
            }
            if (ar.IsStoring()) {
                for (const auto& skin : app_.skins) ar.Untagged(*skin);
            } else {
                for (int32_t i = 0; i < n; ++i) {
                    auto skin = std::make_unique<SkinInfo>();
                    ar.Untagged(*skin);
                    if (app_.FindSkin(skin->name()) == nullptr) {
                        app_.skins.push_back(std::move(skin));
                    } else {
                        ar.Keep(std::move(skin));
                    }
                }
            }
        }
    }
    if (v > 95272) {
        int8_t byte = 0;
        ar.Int8(byte);
    }
    if (ar.IsLoading()) {
        ar.Owned(*root);
    } else {
        ar.StoreObject(root_.get());
    }
    if (v > 10 && v < 16) ar.Text(ignored);

    if (ar.IsLoading() && options.plugin_mode) {
        // The runtime keeps none of these.
        h.document_text.clear();
        h.document_flag = false;
        h.global_flag = false;
        h.text2.clear();
        h.text3.clear();
        h.product_text.clear();
    }
}

void PatchDocument::TakeEmbeddedFiles(std::vector<EmbeddedFile> files, const LoadOptions& options) {
    if (!options.plugin_mode) {
        files_ = std::move(files);
        return;
    }
    if (app_.embedded_set) return;
    app_.embedded_set = true;
    bool folder_made = false;
    std::optional<int64_t> library_time;
    for (EmbeddedFile& f : files) {
        if (StaysInMemory(f.name)) {
            app_.embedded.push_back(std::move(f));
            continue;
        }
        if (!folder_made) {
            platform::CreateFolder(options.data_folder);
            library_time = platform::LastWriteTime(options.library_path);
            folder_made = true;
        }
        const std::string file_name(StoredFileName(f.name));
        // Only the name part is used, so nothing lands outside the data folder.
        const bool usable = !file_name.empty() && file_name != "." && file_name != "..";
        std::string path = usable ? platform::JoinPath(options.data_folder, file_name) : "";
        const std::optional<int64_t> existing = platform::LastWriteTime(path);
        const bool write = usable && (!existing || (library_time && *existing < *library_time));
        if (write && !platform::WriteWholeFile(path, f.data)) path.clear();
        Registry().RegisterPluginFile("", file_name, path);
    }
}

std::optional<DataFile> PatchDocument::OpenDataFile(std::string_view name,
                                                    std::string_view default_extension) const {
    const std::span<const EmbeddedFile> embedded =
        app_.embedded.empty() ? std::span<const EmbeddedFile>(files_)
                              : std::span<const EmbeddedFile>(app_.embedded);
    return md::OpenDataFile(name, default_extension, data_folder_, embedded);
}

}  // namespace md
