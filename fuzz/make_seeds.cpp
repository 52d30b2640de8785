// Writes the seed corpus of the archive fuzzer: patches built with the document API and saved
// by the writer, one file per tree, into the folder given on the command line.
//
//   make_seeds OUTDIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/connect.h"
#include "document/container.h"
#include "document/module_registry.h"
#include "document/patch_document.h"
#include "fuzz/fuzz_module_types.h"
#include "gui/skin_records.h"
#include "parameters/patch_manager.h"
#include "platform/message_box.h"

namespace {

using namespace md;

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "make_seeds: %s\n", what.c_str());
    std::exit(1);
}

template <class T = CUG>
T& Add(const std::string& id, CContainer& into) {
    std::unique_ptr<CDocOb> o = Registry().CreateDocObject(id);
    auto* typed = dynamic_cast<T*>(o.get());
    if (typed == nullptr) Die("can't create a '" + id + "'");
    into.AddChild(std::move(o));
    return *typed;
}

CPlug2& PlugOf(const CUG& m, const char* name) {
    CPlug2* p = m.FindPlug(name);
    if (p == nullptr) Die(std::string("no plug '") + name + "' on " + m.type_id());
    return *p;
}

// The first container IO plug of `m` whose pair has no connection.
CPlugIO2& FreeSpare(const CUG& m) {
    for (const auto& p : m.plugs()) {
        auto* x = dynamic_cast<CPlugIO2*>(p.get());
        if (x != nullptr && !x->PairConnected() && x->partner() != nullptr) return *x;
    }
    Die("no free spare on " + m.type_id());
}

void Join(CPlug2& a, CPlug2& b) {
    if (Connect(a, b) == nullptr) {
        Die("refused: " + a.GetName() + " -> " + b.GetName());
    }
}

struct Seed {
    const char* name;
    std::function<void(PatchDocument&, ApplicationFiles&)> build;
};

void NewRoot(PatchDocument& doc) {
    std::unique_ptr<CDocOb> o = Registry().CreateDocObject("Container");
    if (dynamic_cast<CContainer*>(o.get()) == nullptr) Die("no container type");
    doc.set_root(std::unique_ptr<CContainer>(static_cast<CContainer*>(o.release())));
    doc.root()->EnsurePatchManager();  // as a loaded root has
}

void ModulesAndConnections(PatchDocument& doc, ApplicationFiles&) {
    NewRoot(doc);
    CContainer& r = *doc.root();
    DocumentHeader& h = doc.header();
    h.plugin_id = "Fz01";
    h.document_text = "seed";
    h.vendor_text = "vendor";
    h.product_text = "product";
    h.vst_flags = vst_flag::kInstrument | vst_flag::kWantsHostTime;
    h.panel_width = 320;
    h.panel_height = 200;
    CUG& source = Add(fuzz::kSource, r);
    source.set_title("source");
    CUG& sink = Add(fuzz::kSink, r);
    CUG& sink2 = Add(fuzz::kSink, r);
    sink2.set_disabled_flag(true);
    sink2.set_structure_rect({40, 40, 80, 60});
    CUG& mixer = Add(fuzz::kMixer, r);
    CUG& panel = Add(fuzz::kPanel, r);
    Join(PlugOf(source, "Out"), PlugOf(sink, "In"));
    Join(PlugOf(source, "Level"), PlugOf(sink, "Value"));
    Join(PlugOf(source, "Choice"), PlugOf(sink, "Mode"));
    Join(PlugOf(source, "MIDI Out"), PlugOf(sink2, "MIDI In"));
    Join(PlugOf(source, "GUI Out"), PlugOf(sink2, "GUI In"));
    Join(PlugOf(source, "Name"), PlugOf(sink2, "File"));
    // Each connected spare input leaves a new spare behind.
    Join(PlugOf(source, "Out"), PlugOf(mixer, "Input"));
    Join(PlugOf(panel, "Through"), PlugOf(mixer, "Input"));
    Join(PlugOf(mixer, "Mix"), PlugOf(panel, "Signal"));
    Join(PlugOf(mixer, "Follow"), PlugOf(sink2, "Mode"));
    PlugOf(sink, "Setting").set_value("0.25");
    CPatchManager& pm = *r.patch_manager();
    pm.SetPatchName("First", 0);
    pm.SetPatchName("Last", CPatchManager::kPatchCount - 1);
    pm.SetCurrentPatch(3);
}

// root: source -> [outer: spare -> sink, source -> [inner: spare -> mixer -> spare] -> sink,
// source -> spare] -> sink.
void NestedContainers(PatchDocument& doc, ApplicationFiles&) {
    NewRoot(doc);
    CContainer& r = *doc.root();
    CUG& source = Add(fuzz::kSource, r);
    CUG& sink = Add(fuzz::kSink, r);
    auto& outer = Add<CContainer>("Container", r);
    outer.set_title("outer");
    CUG* outer_io = outer.FindIoModule();
    if (outer_io == nullptr) Die("no IO module");
    CUG& outer_sink = Add(fuzz::kSink, outer);
    CUG& outer_source = Add(fuzz::kSource, outer);
    auto& inner = Add<CContainer>("Container", outer);
    inner.set_title("inner");
    inner.SetSpareHidden(true);
    CUG* inner_io = inner.FindIoModule();
    if (inner_io == nullptr) Die("no IO module");
    CUG& inner_mixer = Add(fuzz::kMixer, inner);

    CPlugIO2& in = FreeSpare(outer);
    Join(PlugOf(source, "Level"), in);
    Join(*in.partner(), PlugOf(outer_sink, "Value"));
    CPlugIO2& out = FreeSpare(*outer_io);
    Join(PlugOf(outer_source, "MIDI Out"), out);
    Join(*out.partner(), PlugOf(sink, "MIDI In"));
    // One level further down, and back up.
    CPlugIO2& deep = FreeSpare(inner);
    Join(PlugOf(outer_source, "Out"), deep);
    Join(*deep.partner(), PlugOf(inner_mixer, "Input"));
    CPlugIO2& back = FreeSpare(*inner_io);
    Join(PlugOf(inner_mixer, "Mix"), back);
    Join(*back.partner(), PlugOf(outer_sink, "In"));
    outer.set_container_flags(1);
    outer.set_skin_name("dark");
}

void FilesAndSkin(PatchDocument& doc, ApplicationFiles& app) {
    NewRoot(doc);
    Add(fuzz::kSource, *doc.root());
    doc.files().push_back({"loop.wav", {'R', 'I', 'F', 'F', 0, 1, 2, 3}});
    doc.files().push_back({"songs\\tune.mid", {'M', 'T', 'h', 'd'}});
    doc.files().push_back({"presets/bank.sf2", {}});
    doc.files().push_back({"notes.txt", std::vector<uint8_t>(300, 'x')});
    auto skin = std::make_unique<SkinInfo>();
    skin->set_name("default");
    auto bitmap = std::make_unique<CSkinBitmap>();
    bitmap->name = "knob";
    bitmap->width = 2;
    bitmap->height = 1;
    bitmap->png_data = {0x89, 'P', 'N', 'G', 1, 2, 3};
    skin->AddBitmap(std::move(bitmap));
    auto anim = std::make_unique<CAnimBitmap>();
    anim->name = "slider";
    anim->segment_count = 4;
    anim->frame_width = 8;
    anim->png_data = {0x89, 'P', 'N', 'G'};
    skin->AddBitmap(std::move(anim));
    auto font = std::make_unique<SkinFontInfo>();
    font->name = "label";
    font->family = "Sans";
    font->size = 12;
    skin->AddFont(std::move(font));
    app.skins.push_back(std::move(skin));
}

// One module of every registered type with a document class, so that every record the
// writer knows appears once.
void EveryType(PatchDocument& doc, ApplicationFiles&) {
    NewRoot(doc);
    auto& box = Add<CContainer>("Container", *doc.root());
    for (const auto& [id, info] : Registry().modules()) {
        if (info->flags() & module_flag::kIoMod) continue;  // the container made its own
        if (std::unique_ptr<CDocOb> o = Registry().CreateDocObject(id)) box.AddChild(std::move(o));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds OUTDIR\n");
        return 2;
    }
    platform::SetMessageSink([](const platform::Message& m) {
        Die("unexpected message: " + m.text);
        return platform::MessageResult::Ok;
    });
    fuzz::RegisterFuzzModuleTypes();
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);
    const Seed seeds[] = {
        {"empty_root", [](PatchDocument& doc, ApplicationFiles&) { NewRoot(doc); }},
        {"modules", ModulesAndConnections},
        {"nested", NestedContainers},
        {"files_and_skin", FilesAndSkin},
        {"every_type", EveryType},
    };
    for (const Seed& s : seeds) {
        ApplicationFiles app;
        PatchDocument doc(app);
        s.build(doc, app);
        const std::vector<uint8_t> bytes = doc.Save();
        // A seed the reader refuses would teach the fuzzer nothing.
        ApplicationFiles check_app;
        PatchDocument check(check_app);
        LoadOptions tool;
        tool.plugin_mode = false;
        if (!check.LoadFromBytes(bytes, tool)) {
            Die(std::string(s.name) + " doesn't load: " + check.error());
        }
        std::ofstream out(dir / s.name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) Die("can't write into " + dir.string());
        std::printf("%s: %zu bytes\n", s.name, bytes.size());
    }
    return 0;
}
