// The patch document: finds the patch bytes, reads the header, the embedded files and skins
// and the object tree whose root is a CContainer; and writes them back as an archive.
//
// User-interface (setup) thread only; the load runs before the sound engine starts.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/archive.h"
#include "document/data_file.h"
#include "document/embedded_file.h"

namespace md {

class CContainer;
class SkinInfo;
class SoundEngineSwitch;

// The header settings a patch stores (the document header of the archive).
struct DocumentHeader {
    int32_t version = kArchiveVersion;  // as read; the load version
    std::string plugin_id;              // 4-character plug-in identifier
    bool option_flag = false;
    std::string option_text;
    bool can_mono = true;
    int32_t panel_width = 0;
    int32_t panel_height = 0;
    int32_t vst_flags = 0;  // bit 0 instrument, 1 stereo output pairs, 2 own branding, 3 host time
    int32_t program_count = 16;
    std::string vendor_text;
    // Kept only when not loading in plug-in mode.
    std::string document_text;
    bool document_flag = false;
    bool global_flag = false;
    std::string text2;
    std::string text3;
    std::string product_text;
};

// Bits of DocumentHeader::vst_flags.
namespace vst_flag {
inline constexpr int32_t kInstrument = 0x1;
inline constexpr int32_t kStereoPairs = 0x2;
inline constexpr int32_t kOwnBranding = 0x4;
inline constexpr int32_t kWantsHostTime = 0x8;
}  // namespace vst_flag

// What the application keeps for the life of the process, shared with the documents it loads.
struct ApplicationFiles {
    // The embedded media files (mid, wav, sf2) that stay in memory, once a load has set them.
    std::vector<EmbeddedFile> embedded;
    bool embedded_set = false;
    // The skins installed so far.
    std::vector<std::unique_ptr<SkinInfo>> skins;

    ApplicationFiles();
    ~ApplicationFiles();
    ApplicationFiles(ApplicationFiles&&) noexcept;
    ApplicationFiles& operator=(ApplicationFiles&&) noexcept;

    // The skin named `name`, ignoring case; null when there is none.
    SkinInfo* FindSkin(std::string_view name) const;
};

// The exact user-facing texts of loading.
namespace load_message {
// printf format: the version multiplied by 0.01.
inline constexpr const char* kNewerVersion =
    "Load Cancelled.  File created by a newer version of Modara (V%.2f). See Modara web site "
    "for latest version.";
// printf format: data file name without folder and extension, then its full path.
inline constexpr const char* kNoDataFile = "%s: Can't find plugin data file. (%s)";
}  // namespace load_message

struct LoadOptions {
    // Plug-in mode drops the header texts the runtime doesn't use, writes the non-media
    // embedded files to the data folder and registers them. Off (tools), every embedded file
    // stays in the document and nothing is written to disk.
    bool plugin_mode = true;
    // The plug-in's data folder (ends with a separator); used in plug-in mode.
    std::string data_folder;
    // The plug-in library, whose last-write time decides whether extracted files are renewed.
    std::string library_path;
};

class PatchDocument {
public:
    explicit PatchDocument(ApplicationFiles& app);
    ~PatchDocument();
    PatchDocument(const PatchDocument&) = delete;
    PatchDocument& operator=(const PatchDocument&) = delete;

    // Loads the plug-in's patch: the "MD1"/165 resource of the library (unscrambled), else the
    // ".dat" file beside it. False, with the message of the failure shown, when there is none
    // or it doesn't load.
    bool Load(const std::string& library_path);
    // Loads an archive held in memory; true when a root container was read. A malformed archive
    // leaves the document without a root and gives the reason in error().
    bool LoadFromBytes(std::span<const uint8_t> bytes, const LoadOptions& options);

    // The archive of the document as it stands (version kArchiveVersion).
    std::vector<uint8_t> Save() const;

    CContainer* root() const { return root_.get(); }
    void set_root(std::unique_ptr<CContainer> root);
    DocumentHeader& header() { return header_; }
    const DocumentHeader& header() const { return header_; }
    // Embedded files kept with the document (all of them outside plug-in mode).
    std::vector<EmbeddedFile>& files() { return files_; }
    const std::vector<EmbeddedFile>& files() const { return files_; }
    ApplicationFiles& app() const { return app_; }
    // Why the last load failed; empty after a successful one.
    const std::string& error() const { return error_; }

    // Opens a data file by name: the default extension when the name has none, relative to
    // the data folder, else an embedded file of the same name part (ignoring case).
    std::optional<DataFile> OpenDataFile(std::string_view name,
                                         std::string_view default_extension) const;

    SoundEngineSwitch* engine_switch() const { return engine_switch_; }
    void set_engine_switch(SoundEngineSwitch* s) { engine_switch_ = s; }

private:
    // The load proper, on the stack LoadFromBytes gives it; throws ArchiveError.
    bool ReadArchive(std::span<const uint8_t> bytes, const LoadOptions& options, int max_depth);
    void SerializeHeader(Archive& ar, std::unique_ptr<CContainer>* root,
                         std::vector<EmbeddedFile>& files, const LoadOptions& options);
    void TakeEmbeddedFiles(std::vector<EmbeddedFile> files, const LoadOptions& options);

    ApplicationFiles& app_;
    DocumentHeader header_;
    std::unique_ptr<CContainer> root_;
    std::vector<EmbeddedFile> files_;
    // Objects the archive made that no record took; kept so references to them stay valid.
    std::vector<std::unique_ptr<ArchObject>> loose_;
    std::string data_folder_;
    std::string error_;
    SoundEngineSwitch* engine_switch_ = nullptr;
};

}  // namespace md
