// Patch text: a line-oriented, human-writable form of a patch document (docs/patch-text-format.md).
//
//   Parse:  text -> PatchText (the statements, with their line numbers)
//   Build:  PatchText -> PatchDocument (modules created from their types, connections made
//           through Connect() so spare plugs and their partners appear as in the editor)
//   Print:  PatchDocument -> text; Describe() gives the PatchText that Format() writes
//
// Print replays what it writes into a scratch document, so that every plug reference it prints
// finds the same plug when the text is built again: dump -> build -> dump gives the same text.
//
// User-interface (setup) thread only, like the document classes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "document/archive.h"
#include "document/patch_document.h"

namespace md::patch_text {

// A problem in a text, at a line (from 1; 0 when no line applies).
struct Error {
    int line = 0;
    std::string message;
};

// A plug: the module path (names from the block's scope; further names look inside
// containers), then a plug name or an index into the module's plug list.
struct PlugRef {
    std::vector<std::string> path;
    std::optional<std::string> name;  // set: by name
    int index = -1;                   // by index when name is not set
};

// A file whose bytes the text names by path (embedded files, skin bitmaps).
struct FileSource {
    std::string path;  // relative to the text's folder
    std::optional<uint64_t> size;
    std::optional<uint32_t> hash;  // FNV-1a (32 bit) of the bytes
};

struct FileText {
    int line = 0;
    std::string stored_name;
    FileSource source;
};

struct BitmapText {
    int line = 0;
    bool animated = false;
    std::string name;
    int32_t width = 0, height = 0, pixel_mode = 0;
    // animated only
    int32_t segments = 0, mode = 0, range_start = 0, range_end = 0;
    Rect handle;
    int32_t frame_width = 0, frame_height = 0, last_frame = 0, type = 0;
    int32_t padding_left = 0, padding_right = 0, padding_top = 0, padding_bottom = 0;
    FileSource source;  // the PNG image
};

struct FontText {
    int line = 0;
    std::string name, family;
    int32_t size = 0, colour = 0, background = 0, flags = 0;
};

struct SkinText {
    int line = 0;
    std::string name;
    std::vector<BitmapText> bitmaps;
    std::vector<FontText> fonts;
};

struct Statement {
    enum class Kind {
        kConnect,  // a -> b
        kAddPlug,  // one more plug like a
        kName,     // a gets the name `text`
        kSet,      // a gets the value `text`
    };
    Kind kind = Kind::kConnect;
    int line = 0;
    PlugRef a, b;
    std::string text;
};

struct ParameterText {
    int line = 0;
    int32_t handle = 0;
    std::string kind;  // "list", "text" or "float"
    std::string name;
    std::optional<PlugRef> plug;
    int32_t midi_controller = -1;
    bool ignore_program_change = false;
    std::vector<std::pair<int32_t, std::string>> values;  // patch, value as text
};

struct Block;

// A module or container; containers (and the root) have a block.
struct ModuleText {
    int line = 0;
    std::string name;  // empty for the root
    std::string type;
    std::optional<std::string> title;
    bool disabled = false;
    std::optional<Rect> rect;   // structure rectangle
    std::optional<Rect> panel;  // panel rectangle
    std::unique_ptr<Block> block;
};

// The contents of a container.
struct Block {
    std::optional<Rect> panel_view, structure_view;
    std::optional<Point> panel_scroll, structure_scroll;
    std::optional<int32_t> flags;
    std::optional<std::string> skin;
    bool spare_hidden = false;
    std::optional<int32_t> current_patch;
    std::vector<std::pair<int32_t, std::string>> patch_names;
    std::vector<ParameterText> parameters;
    std::vector<ModuleText> modules;
    std::vector<Statement> statements;
    std::vector<std::string> notes;  // comments Print writes at the top of the block
};

struct PatchText {
    DocumentHeader header;
    std::vector<FileText> files;
    std::vector<SkinText> skins;
    std::optional<ModuleText> root;  // has a block
};

// ---- text ----

// The statements of a text; nullopt with *error set on a syntax error.
std::optional<PatchText> Parse(std::string_view text, Error* error);

// The text of a PatchText, in the layout Print uses.
std::string Format(const PatchText& patch);

// ---- document ----

// Reads the file a FileSource names; nullopt when it can't be read.
using FileLoader = std::function<std::optional<std::vector<uint8_t>>(const std::string& path)>;

// Builds the patch into `doc` (header, embedded files, skins into doc.app().skins, root).
// False with *error set when a type is unknown, a plug can't be found, a connection is
// refused, a file can't be read or doesn't match its size or hash.
bool Build(const PatchText& patch, PatchDocument& doc, const FileLoader& load, Error* error);

// Parse, then Build.
bool BuildText(std::string_view text, PatchDocument& doc, const FileLoader& load, Error* error);

// A file the printed text names, with the bytes to write there.
struct OutputFile {
    std::string path;
    std::vector<uint8_t> data;
};

// The PatchText of a document; `files` (when given) receives the bytes of every file it names.
PatchText Describe(const PatchDocument& doc, std::vector<OutputFile>* files = nullptr);

// Format(Describe(doc, files)).
std::string Print(const PatchDocument& doc, std::vector<OutputFile>* files = nullptr);

// FNV-1a, 32 bit: the hash printed after embedded files.
uint32_t Fnv1a(const std::vector<uint8_t>& data);

}  // namespace md::patch_text
