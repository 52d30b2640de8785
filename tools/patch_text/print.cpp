// Document -> patch text. The modules are declared first and created in a scratch document;
// then every connection, plug name and value is written as a statement and run on the
// scratch document at once, so each plug reference is chosen to name, at the moment the
// statement runs, the plug that corresponds to the document's plug.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "document/module_registry.h"
#include "gui/skin_records.h"
#include "parameters/patch_manager.h"
#include "parameters/patch_parameter.h"
#include "platform/files.h"
#include "tools/patch_text/builder.h"

namespace md::patch_text {

namespace {

// A module name from a title or type id: lower-case letters, digits and '_'.
std::string Ident(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80 && std::isalnum(u)) {
            out.push_back(static_cast<char>(std::tolower(u)));
        } else if (!out.empty() && out.back() != '_') {
            out.push_back('_');
        }
    }
    while (!out.empty() && out.back() == '_') out.pop_back();
    if (!out.empty() && std::isdigit(static_cast<unsigned char>(out.front()))) out.insert(0, "m");
    return out.empty() ? "m" : out;
}

// A file name safe on every platform: letters, digits, '.', '-' and '_'; no leading dot.
std::string SafeFileName(std::string_view name) {
    std::string out;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        out.push_back(u < 0x80 && (std::isalnum(u) || c == '.' || c == '-' || c == '_') ? c : '_');
    }
    if (out.empty() || out.find_first_not_of('.') == std::string::npos) return "file";
    if (out.front() == '.') out.front() = '_';
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string FloatText(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(v));
    return text;
}

bool IsZero(float v) {
    uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits == 0;
}

// Plugs correspond between two modules by kind (GUI list or not), descriptor index and
// position among the plugs of that kind and index.
struct PlugKey {
    bool gui;
    int16_t descriptor;
    friend bool operator==(const PlugKey&, const PlugKey&) = default;
};

PlugKey KeyOf(const CPlug2& p) {
    return {dynamic_cast<const CPlugGui*>(&p) != nullptr, p.descriptor_index()};
}

int PositionOf(const CUG& m, const CPlug2& p) {
    int j = 0;
    for (const auto& q : m.plugs()) {
        if (q.get() == &p) return j;
        if (KeyOf(*q) == KeyOf(p)) ++j;
    }
    return -1;
}

CPlug2* PlugAt(const CUG& m, PlugKey key, int position) {
    for (const auto& q : m.plugs()) {
        if (KeyOf(*q) == key && position-- == 0) return q.get();
    }
    return nullptr;
}

int CountOf(const CUG& m, PlugKey key) {
    int n = 0;
    for (const auto& q : m.plugs()) n += KeyOf(*q) == key ? 1 : 0;
    return n;
}

int IndexOf(const CUG& m, const CPlug2* p) {
    for (size_t i = 0; i < m.plugs().size(); ++i) {
        if (m.plugs()[i].get() == p) return static_cast<int>(i);
    }
    return -1;
}

class Describer {
public:
    Describer(const PatchDocument& d, std::vector<OutputFile>* files)
        : d_(d), files_(files), scratch_(scratch_app_), builder_(scratch_, true) {}

    PatchText Run() {
        out_.header = d_.header();
        out_.header.version = kArchiveVersion;
        Files();
        Skins();
        const CContainer* root = d_.root();
        if (root == nullptr) return std::move(out_);
        out_.root.emplace(Module(*root, ""));
        declared_.emplace_back(root, &*out_.root);

        builder_.CreateTree(*out_.root);
        for (const auto& [object, text] : declared_) map_[object] = builder_.ObjectOf(text);
        for (const auto& s : scopes_) s->built = builder_.ScopeOf(s->block);
        for (const auto& s : scopes_) Connections(*s);
        for (const auto& s : scopes_) PlugStatements(*s, Statement::Kind::kName);
        for (const auto& s : scopes_) PlugStatements(*s, Statement::Kind::kSet);
        for (const auto& s : scopes_) Parameters(*s);
        for (const auto& s : scopes_) Differences(*s);
        return std::move(out_);
    }

private:
    // A container of the document, its block and the names given to its children.
    struct Scope {
        const CContainer* container = nullptr;
        Block* block = nullptr;
        std::vector<const CDocOb*> declared;
        std::map<const CDocOb*, std::string> names;
        Builder::Scope* built = nullptr;  // in the scratch document
    };

    // ---- files ----

    std::string UniquePath(const std::string& folder, std::string_view name) {
        const std::string base = SafeFileName(platform::FileNamePart(name));
        const size_t dot = base.rfind('.');
        const std::string stem = dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
        const std::string ext = stem.size() == base.size() ? "" : base.substr(stem.size());
        std::string path = folder + "/" + base;
        for (int n = 2; used_paths_.contains(Lower(path)); ++n) {
            path = folder + "/" + stem + "-" + std::to_string(n) + ext;
        }
        used_paths_.insert(Lower(path));
        return path;
    }

    FileSource Source(const std::string& path, const std::vector<uint8_t>& data) {
        if (files_ != nullptr) files_->push_back(OutputFile{path, data});
        return FileSource{path, data.size(), Fnv1a(data)};
    }

    void Files() {
        for (const EmbeddedFile& f : d_.files()) {
            FileText& t = out_.files.emplace_back();
            t.stored_name = f.name;
            t.source = Source(UniquePath("files", f.name), f.data);
        }
    }

    void Skins() {
        for (const auto& skin : d_.app().skins) {
            SkinText& s = out_.skins.emplace_back();
            s.name = skin->name();
            const std::string folder = "skins/" + SafeFileName(skin->name());
            for (const auto& bitmap : skin->bitmaps()) {
                BitmapText& b = s.bitmaps.emplace_back();
                b.name = bitmap->name;
                b.width = bitmap->width;
                b.height = bitmap->height;
                b.pixel_mode = bitmap->pixel_mode;
                if (const auto* anim = dynamic_cast<const CAnimBitmap*>(bitmap.get())) {
                    b.animated = true;
                    b.segments = anim->segment_count;
                    b.mode = anim->mode;
                    b.range_start = anim->range_start;
                    b.range_end = anim->range_end;
                    b.handle = anim->handle_rect;
                    b.frame_width = anim->frame_width;
                    b.frame_height = anim->frame_height;
                    b.last_frame = anim->last_frame;
                    b.type = anim->type;
                    b.padding_left = anim->padding_left;
                    b.padding_right = anim->padding_right;
                    b.padding_top = anim->padding_top;
                    b.padding_bottom = anim->padding_bottom;
                }
                b.source =
                    Source(UniquePath(folder, bitmap->name + ".png"), bitmap->PngForWriting());
            }
            for (const auto& font : skin->fonts()) {
                FontText& f = s.fonts.emplace_back();
                f.name = font->name;
                f.family = font->family;
                f.size = font->size;
                f.colour = font->colour;
                f.background = font->background_colour;
                f.flags = font->flags;
            }
        }
    }

    // ---- declarations ----

    ModuleText Module(const CDocOb& o, std::string name) {
        ModuleText m;
        m.name = std::move(name);
        m.type = o.type_id();
        const std::unique_ptr<CDocOb> fresh = Registry().CreateDocObject(o.type_id());
        if (const std::optional<std::string> title = TitleOf(o)) {
            if (!fresh || TitleOf(*fresh) != title) m.title = *title;
        }
        if (const auto* module = dynamic_cast<const CUG*>(&o)) {
            m.disabled = module->disabled_flag();
            const auto* fresh_module = dynamic_cast<const CUG*>(fresh.get());
            if (fresh_module == nullptr ||
                fresh_module->structure_rect() != module->structure_rect()) {
                m.rect = module->structure_rect();
            }
        }
        if (const Rect* panel = PanelRectOf(o)) {
            const Rect* fresh_panel = fresh ? PanelRectOf(*fresh) : nullptr;
            if (fresh_panel == nullptr || *fresh_panel != *panel) m.panel = *panel;
        }
        if (const auto* container = dynamic_cast<const CContainer*>(&o)) {
            m.block = std::make_unique<Block>();
            Contents(*container, *m.block, dynamic_cast<const CContainer*>(fresh.get()));
        }
        return m;
    }

    void Contents(const CContainer& c, Block& b, const CContainer* fresh) {
        const CContainer defaults;
        const CContainer& f = fresh != nullptr ? *fresh : defaults;
        if (c.panel_view_rect != f.panel_view_rect) b.panel_view = c.panel_view_rect;
        if (c.structure_view_rect != f.structure_view_rect)
            b.structure_view = c.structure_view_rect;
        if (c.panel_scroll != f.panel_scroll) b.panel_scroll = c.panel_scroll;
        if (c.structure_scroll != f.structure_scroll) b.structure_scroll = c.structure_scroll;
        if (c.container_flags() != f.container_flags()) b.flags = c.container_flags();
        if (c.skin_name() != f.skin_name()) b.skin = c.skin_name();
        b.spare_hidden = c.spare_hidden() && !f.spare_hidden();
        if (const CPatchManager* pm = c.patch_manager()) {
            if (pm->current_patch() != 0) b.current_patch = pm->current_patch();
            for (const auto& [n, name] : pm->patch_names()) b.patch_names.emplace_back(n, name);
        }

        Scope* scope = scopes_.emplace_back(std::make_unique<Scope>()).get();
        scope->container = &c;
        scope->block = &b;
        by_container_[&c] = scope;

        std::set<std::string> used = {"self", "io"};
        const CUG* io = FirstIoModule(c);
        for (const auto& child : c.children()) {
            if (child->IsKindOf(CLine2::kClass)) continue;
            if (child->type_id().empty()) {
                b.notes.push_back("an object of class " +
                                  std::string(child->GetRuntimeClass().name) + " is not shown");
                continue;
            }
            std::string name = "io";
            if (child.get() != io) {
                const std::optional<std::string> title = TitleOf(*child);
                const std::string base =
                    Ident(title && !title->empty() ? *title : child->type_id());
                name = base;
                for (int n = 2; used.contains(name); ++n) name = base + "_" + std::to_string(n);
                used.insert(name);
            }
            scope->declared.push_back(child.get());
            scope->names[child.get()] = name;
            b.modules.push_back(Module(*child, name));
        }
        // The block's module list is complete: its elements stay where they are.
        for (size_t i = 0; i < scope->declared.size(); ++i) {
            declared_.emplace_back(scope->declared[i], &b.modules[i]);
        }
    }

    // ---- statements, run on the scratch document as they are written ----

    std::string NameIn(const Scope& s, const CDocOb* o) const {
        if (o == s.container) return "self";
        auto it = s.names.find(o);
        return it == s.names.end() ? std::string() : it->second;
    }

    CUG* Built(const CDocOb* o) const {
        auto it = map_.find(o);
        return it == map_.end() ? nullptr : dynamic_cast<CUG*>(it->second);
    }

    // A reference that the builder resolves to `target` in the scratch document right now.
    PlugRef RefFor(Builder::Scope& scope, std::vector<std::string> path, CPlug2* target,
                   bool structural) {
        PlugRef r;
        r.path = std::move(path);
        auto finds = [&](const std::string& name) {
            if (name.empty()) return false;
            r.name = name;
            std::string problem;
            return builder_.Resolve(scope, r, structural, &problem) == target;
        };
        if (finds(target->GetName())) return r;
        if (const CPlug2* partner = target->Partner();
            partner != nullptr && finds(partner->GetName())) {
            return r;
        }
        if (finds(target->Descriptor().name)) return r;
        r.name.reset();
        r.index = IndexOf(*target->owner(), target);
        return r;
    }

    // Runs the statement on the scratch document and keeps it, or notes why it can't be kept.
    bool Emit(Scope& s, Statement st) {
        if (!builder_.Exec(*s.built, st)) {
            s.block->notes.push_back("not rebuilt: " + StatementText(st) + " (" +
                                     builder_.error().message + ")");
            return false;
        }
        s.block->statements.push_back(std::move(st));
        return true;
    }

    // The scratch plug matching document plug `p`. While `emit`, missing copies of a spare
    // plug are added with add_plug statements (spares wired in an order the connections don't
    // replay).
    CPlug2* Match(const CPlug2& p, Scope* emit) {
        CUG* built = Built(p.owner());
        if (built == nullptr) return nullptr;
        const PlugKey key = KeyOf(p);
        const int position = PositionOf(*p.owner(), p);
        CPlug2* q = PlugAt(*built, key, position);
        while (q == nullptr && emit != nullptr && (p.Flags() & plug_flag::kSpare) != 0) {
            CPlug2* last = PlugAt(*built, key, CountOf(*built, key) - 1);
            if (last == nullptr) break;
            Statement st;
            st.kind = Statement::Kind::kAddPlug;
            st.a = RefFor(*emit->built, {NameIn(*emit, p.owner())}, last, true);
            if (!Emit(*emit, std::move(st))) break;
            q = PlugAt(*built, key, position);
        }
        return q;
    }

    void Connections(Scope& s) {
        for (const auto& child : s.container->children()) {
            const auto* line = dynamic_cast<const CLine2*>(child.get());
            if (line == nullptr) continue;
            const CPlug2* from = line->from();
            const CPlug2* to = line->to();
            if (from == nullptr || to == nullptr || from->owner() == nullptr ||
                to->owner() == nullptr) {
                s.block->notes.push_back("a connection with a missing end is not shown");
                continue;
            }
            if (!s.names.contains(from->owner()) || !s.names.contains(to->owner())) {
                s.block->notes.push_back(
                    "a connection to a plug outside this container is not shown");
                continue;
            }
            if (s.built == nullptr) continue;
            CPlug2* a = Match(*from, &s);
            CPlug2* b = Match(*to, &s);
            if (a == nullptr || b == nullptr) {
                s.block->notes.push_back("a connection from " + NameIn(s, from->owner()) + " to " +
                                         NameIn(s, to->owner()) + " can't be rebuilt");
                continue;
            }
            Statement st;
            st.kind = Statement::Kind::kConnect;
            st.a = RefFor(*s.built, {NameIn(s, from->owner())}, a, true);
            st.b = RefFor(*s.built, {NameIn(s, to->owner())}, b, true);
            Emit(s, std::move(st));
        }
        if (s.built == nullptr) return;
        // Plugs the connections didn't make: further copies of a plug. The IO plugs of a
        // container with an IO module are copied from its block, after its own connections.
        for (const CDocOb* o : s.declared) {
            const auto* module = dynamic_cast<const CUG*>(o);
            CUG* built = Built(o);
            if (module == nullptr || built == nullptr) continue;
            const auto* container = dynamic_cast<const CContainer*>(o);
            const bool has_io = container != nullptr && FirstIoModule(*container) != nullptr;
            for (const auto& p : module->plugs()) {
                if (has_io && p->IsKindOf(CPlugIO2::kClass)) continue;
                const PlugKey key = KeyOf(*p);
                while (CountOf(*built, key) < CountOf(*module, key)) {
                    CPlug2* last = PlugAt(*built, key, CountOf(*built, key) - 1);
                    if (last == nullptr) break;
                    Statement st;
                    st.kind = Statement::Kind::kAddPlug;
                    st.a = RefFor(*s.built, {NameIn(s, o)}, last, true);
                    if (!Emit(s, std::move(st))) break;
                }
            }
        }
    }

    // The modules whose plugs a block speaks for: its children, and the root itself.
    std::vector<const CDocOb*> PlugOwners(const Scope& s) const {
        std::vector<const CDocOb*> out = s.declared;
        if (s.container == d_.root()) out.insert(out.begin(), s.container);
        return out;
    }

    // Name or set statements for plugs whose name or value differs from the scratch one.
    void PlugStatements(Scope& s, Statement::Kind kind) {
        if (s.built == nullptr) return;
        for (const CDocOb* o : PlugOwners(s)) {
            const auto* module = dynamic_cast<const CUG*>(o);
            if (module == nullptr) continue;
            for (const auto& p : module->plugs()) {
                CPlug2* q = Match(*p, nullptr);
                if (q == nullptr) continue;
                const bool name = kind == Statement::Kind::kName;
                const std::string wanted = name ? p->GetName() : p->value();
                if (wanted == (name ? q->GetName() : q->value())) continue;
                Statement st;
                st.kind = kind;
                st.a = RefFor(*s.built, {NameIn(s, o)}, q, false);
                st.text = wanted;
                Emit(s, std::move(st));
            }
        }
    }

    // The module path from the block of `s` to `o`; nullopt when `o` is outside it.
    std::optional<std::vector<std::string>> PathTo(const Scope& s, const CDocOb* o) const {
        std::vector<std::string> path;
        while (o != s.container) {
            const CContainer* parent = o != nullptr ? o->parent() : nullptr;
            auto it = parent != nullptr ? by_container_.find(parent) : by_container_.end();
            if (it == by_container_.end()) return std::nullopt;
            const std::string name = NameIn(*it->second, o);
            if (name.empty()) return std::nullopt;
            path.insert(path.begin(), name);
            o = parent;
        }
        if (path.empty()) path.push_back("self");
        return path;
    }

    void Parameters(Scope& s) {
        const CPatchManager* pm = s.container->patch_manager();
        if (pm == nullptr) return;
        for (const auto& [handle, p] : pm->parameters()) {
            ParameterText& t = s.block->parameters.emplace_back();
            t.handle = handle;
            t.name = p->name;
            t.midi_controller = p->midi_controller;
            t.ignore_program_change = p->ignore_program_change;
            for (int n = 0; n < PatchParameter_base::kPatchCount; ++n) {
                if (const auto* list = dynamic_cast<const PatchParameter_list*>(p.get())) {
                    t.kind = "list";
                    if (list->value(n) != 0)
                        t.values.emplace_back(n, std::to_string(list->value(n)));
                } else if (const auto* f = dynamic_cast<const PatchParameter_float*>(p.get())) {
                    t.kind = "float";
                    if (!IsZero(f->value(n))) t.values.emplace_back(n, FloatText(f->value(n)));
                } else if (const auto* text = dynamic_cast<const PatchParameter_text*>(p.get())) {
                    t.kind = "text";
                    if (!text->value(n).empty()) t.values.emplace_back(n, text->value(n));
                }
            }
            if (p->plug == nullptr) continue;
            const auto path = PathTo(s, p->plug->owner());
            CPlug2* q = Match(*p->plug, nullptr);
            if (path && q != nullptr && s.built != nullptr) {
                t.plug = RefFor(*s.built, *path, q, false);
            } else {
                s.block->notes.push_back("the plug of parameter " + std::to_string(handle) +
                                         " is not shown");
            }
        }
    }

    // Notes for what the statements can't make the same.
    void Differences(Scope& s) {
        for (const CDocOb* o : PlugOwners(s)) {
            const std::string name = NameIn(s, o);
            CUG* built = Built(o);
            const auto* module = dynamic_cast<const CUG*>(o);
            if (map_[o] == nullptr) {
                s.block->notes.push_back("module " + name + ": type \"" + o->type_id() +
                                         "\" can't be built");
                continue;
            }
            if (module == nullptr || built == nullptr) continue;
            for (size_t i = 0; i < module->plugs().size(); ++i) {
                if (Match(*module->plugs()[i], nullptr) == nullptr) {
                    s.block->notes.push_back("module " + name + ": plug #" + std::to_string(i) +
                                             " is not rebuilt");
                }
            }
            const int extra =
                static_cast<int>(built->plugs().size()) - static_cast<int>(module->plugs().size());
            if (extra > 0) {
                s.block->notes.push_back("module " + name + ": building gives " +
                                         std::to_string(extra) + " more plug(s)");
            }
        }
    }

    const PatchDocument& d_;
    std::vector<OutputFile>* files_;
    ApplicationFiles scratch_app_;
    PatchDocument scratch_;
    Builder builder_;
    PatchText out_;
    std::set<std::string> used_paths_;
    std::vector<std::unique_ptr<Scope>> scopes_;
    std::map<const CContainer*, Scope*> by_container_;
    std::vector<std::pair<const CDocOb*, const ModuleText*>> declared_;
    std::map<const CDocOb*, CDocOb*> map_;
};

}  // namespace

PatchText Describe(const PatchDocument& doc, std::vector<OutputFile>* files) {
    return Describer(doc, files).Run();
}

std::string Print(const PatchDocument& doc, std::vector<OutputFile>* files) {
    return Format(Describe(doc, files));
}

}  // namespace md::patch_text
