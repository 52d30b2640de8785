// Patch text -> document. Statements run in phases: modules and block settings; connect and
// add_plug lines (outer containers before inner ones, text order within a block); name lines;
// set lines; patch parameters.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "document/connect.h"
#include "document/control.h"
#include "document/module_info.h"
#include "document/module_registry.h"
#include "document/panel_objects.h"
#include "gui/skin_records.h"
#include "parameters/patch_manager.h"
#include "parameters/patch_parameter.h"
#include "tools/patch_text/builder.h"

namespace md::patch_text {

namespace {

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

std::string PathText(const std::vector<std::string>& path) {
    std::string out;
    for (const std::string& p : path) out += (out.empty() ? "" : ".") + p;
    return out;
}

bool ParseFloat(const std::string& text, float& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtof(text.c_str(), &end);
    return end == text.c_str() + text.size();
}

bool ParseInt16(const std::string& text, int16_t& out) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + text.size() || errno != 0 || v < -32768 || v > 32767) return false;
    out = static_cast<int16_t>(v);
    return true;
}

}  // namespace

std::optional<std::string> TitleOf(const CDocOb& o) {
    if (const auto* m = dynamic_cast<const CUG*>(&o)) return m->title();
    if (const auto* box = dynamic_cast<const CPanelBox2*>(&o)) return box->title;
    return std::nullopt;
}

namespace {

bool SetTitle(CDocOb& o, std::string title) {
    if (auto* m = dynamic_cast<CUG*>(&o)) {
        m->set_title(std::move(title));
        return true;
    }
    if (auto* box = dynamic_cast<CPanelBox2*>(&o)) {
        box->title = std::move(title);
        return true;
    }
    return false;
}

}  // namespace

Rect* PanelRectOf(CDocOb& o) {
    if (auto* c = dynamic_cast<CContainer*>(&o)) return &c->panel_rect;
    if (auto* c = dynamic_cast<CControl*>(&o)) return &c->panel_rect;
    if (auto* c = dynamic_cast<control_ob_base*>(&o)) return &c->panel_rect;
    if (auto* c = dynamic_cast<CPanelBox2*>(&o)) return &c->panel_rect;
    if (auto* c = dynamic_cast<CPortal*>(&o)) return &c->panel_rect;
    return nullptr;
}

const Rect* PanelRectOf(const CDocOb& o) {
    return PanelRectOf(const_cast<CDocOb&>(o));
}

CUG* FirstIoModule(const CContainer& c) {
    for (const auto& child : c.children()) {
        auto* m = dynamic_cast<CUG*>(child.get());
        if (m != nullptr && (m->type_flags() & module_flag::kIoMod)) return m;
    }
    return nullptr;
}

void LinkIoPlugs(CUG& container, CUG& io) {
    auto unpartnered = [](CUG& m) {
        std::vector<CPlugIO2*> out;
        for (const auto& p : m.plugs()) {
            auto* plug = dynamic_cast<CPlugIO2*>(p.get());
            if (plug != nullptr && plug->partner() == nullptr) out.push_back(plug);
        }
        return out;
    };
    const std::vector<CPlugIO2*> outer = unpartnered(container);
    const std::vector<CPlugIO2*> inner = unpartnered(io);
    for (size_t i = 0; i < outer.size() && i < inner.size(); ++i) {
        outer[i]->set_partner(inner[i]);
        inner[i]->set_partner(outer[i]);
    }
}

CPlug2* FindPlugByName(const CUG& m, const std::string& name) {
    for (const auto& p : m.plugs()) {
        if (p->GetName() == name) return p.get();
    }
    for (const auto& p : m.plugs()) {
        if (const CPlug2* partner = p->Partner();
            partner != nullptr && partner->GetName() == name) {
            return p.get();
        }
    }
    CPlug2* first = nullptr;
    for (const auto& p : m.plugs()) {
        if (p->Descriptor().name != name) continue;
        if (!p->PairConnected()) return p.get();
        if (first == nullptr) first = p.get();
    }
    return first;
}

bool Builder::Fail(int line, std::string message) {
    error_ = Error{line, std::move(message)};
    return false;
}

CDocOb* Builder::ObjectOf(const ModuleText* m) const {
    auto it = objects_.find(m);
    return it == objects_.end() ? nullptr : it->second;
}

Builder::Scope* Builder::ScopeOf(const Block* b) const {
    auto it = by_block_.find(b);
    return it == by_block_.end() ? nullptr : it->second;
}

bool Builder::CreateTree(const ModuleText& root) {
    return CreateModule(root, nullptr) != nullptr;
}

CDocOb* Builder::CreateModule(const ModuleText& m, CContainer* parent) {
    std::unique_ptr<CDocOb> object = Registry().CreateDocObject(m.type);
    if (!object) {
        if (tolerant_) return nullptr;
        Fail(m.line, Registry().FindModule(m.type) != nullptr
                         ? "module type " + Quoted(m.type) + " can't be created yet"
                         : "unknown module type " + Quoted(m.type));
        return nullptr;
    }
    auto* container = dynamic_cast<CContainer*>(object.get());
    if ((m.block != nullptr || parent == nullptr) && container == nullptr) {
        if (!tolerant_) Fail(m.line, Quoted(m.type) + " is not a container type");
        return nullptr;
    }
    if (m.title && !SetTitle(*object, *m.title)) {
        if (!tolerant_) Fail(m.line, Quoted(m.type) + " has no title");
        return nullptr;
    }
    auto* module = dynamic_cast<CUG*>(object.get());
    if ((m.rect || m.disabled) && module == nullptr) {
        if (!tolerant_) Fail(m.line, Quoted(m.type) + " is not a module of the structure");
        return nullptr;
    }
    if (m.rect) module->set_structure_rect(*m.rect);
    if (m.disabled) module->set_disabled_flag(true);
    if (m.panel) {
        Rect* panel = PanelRectOf(*object);
        if (panel == nullptr) {
            if (!tolerant_) Fail(m.line, Quoted(m.type) + " has no panel rectangle");
            return nullptr;
        }
        *panel = *m.panel;
    }

    CDocOb* raw = object.get();
    if (parent != nullptr) {
        parent->AddChild(std::move(object));
    } else {
        object.release();
        doc_.set_root(std::unique_ptr<CContainer>(container));
    }
    objects_[&m] = raw;
    if (container == nullptr) return raw;

    Scope* scope = scopes_.emplace_back(std::make_unique<Scope>()).get();
    scope->container = container;
    scope->block = m.block.get();
    order_.push_back(scope);
    by_container_[container] = scope;
    if (m.block == nullptr) return raw;
    by_block_[m.block.get()] = scope;
    ApplySettings(*m.block, *container);
    for (const ModuleText& child : m.block->modules) {
        CDocOb* made = CreateModule(child, container);
        if (made == nullptr) {
            if (!tolerant_) return nullptr;
            continue;
        }
        scope->names[child.name] = made;
    }
    if (CUG* io = FirstIoModule(*container)) LinkIoPlugs(*container, *io);
    return raw;
}

void Builder::ApplySettings(const Block& b, CContainer& c) {
    if (b.panel_view) c.panel_view_rect = *b.panel_view;
    if (b.structure_view) c.structure_view_rect = *b.structure_view;
    if (b.panel_scroll) c.panel_scroll = *b.panel_scroll;
    if (b.structure_scroll) c.structure_scroll = *b.structure_scroll;
    if (b.flags) c.set_container_flags(*b.flags);
    if (b.skin) c.set_skin_name(*b.skin);
    if (b.spare_hidden) c.SetSpareHidden(true);
    if (b.current_patch || !b.patch_names.empty()) {
        CPatchManager& pm = c.EnsurePatchManager();
        if (b.current_patch) pm.SetCurrentPatch(*b.current_patch);
        for (const auto& [n, name] : b.patch_names) pm.SetPatchName(name, n);
    }
}

CUG* Builder::EnsureIo(CContainer& c) {
    CUG* io = c.FindIoModule();
    if (io != nullptr) LinkIoPlugs(c, *io);
    return io;
}

CDocOb* Builder::FindModule(Scope& scope, const std::vector<std::string>& path, bool ensure_io,
                            std::string* problem) {
    Scope* s = &scope;
    CDocOb* object = nullptr;
    for (size_t i = 0; i < path.size(); ++i) {
        const std::string& name = path[i];
        if (s == nullptr) {
            *problem = Quoted(PathText({path.begin(), path.begin() + static_cast<ptrdiff_t>(i)})) +
                       " is not a container";
            return nullptr;
        }
        if (auto it = s->names.find(name); it != s->names.end()) {
            object = it->second;
        } else if (name == "self") {
            object = s->container;
        } else if (name == "io") {
            object = ensure_io ? EnsureIo(*s->container) : FirstIoModule(*s->container);
        } else {
            object = nullptr;
        }
        if (object == nullptr) {
            *problem =
                "unknown module " +
                Quoted(PathText({path.begin(), path.begin() + static_cast<ptrdiff_t>(i) + 1}));
            return nullptr;
        }
        auto* container = dynamic_cast<CContainer*>(object);
        if (container != nullptr && ensure_io) EnsureIo(*container);
        auto it = container != nullptr ? by_container_.find(container) : by_container_.end();
        s = it != by_container_.end() ? it->second : nullptr;
    }
    return object;
}

CPlug2* Builder::Resolve(Scope& scope, const PlugRef& ref, bool ensure_io, std::string* problem) {
    CDocOb* object = FindModule(scope, ref.path, ensure_io, problem);
    if (object == nullptr) return nullptr;
    const std::string who = "module " + Quoted(PathText(ref.path));
    auto* module = dynamic_cast<CUG*>(object);
    if (module == nullptr) {
        *problem = who + " has no plugs";
        return nullptr;
    }
    if (ref.name) {
        if (CPlug2* p = FindPlugByName(*module, *ref.name)) return p;
        *problem = who + " has no plug " + Quoted(*ref.name);
        return nullptr;
    }
    if (ref.index < 0 || static_cast<size_t>(ref.index) >= module->plugs().size()) {
        *problem = who + " has no plug #" + std::to_string(ref.index) + " (it has " +
                   std::to_string(module->plugs().size()) + ")";
        return nullptr;
    }
    return module->plugs()[static_cast<size_t>(ref.index)].get();
}

bool Builder::Exec(Scope& scope, const Statement& s) {
    std::string problem;
    const bool structural =
        s.kind == Statement::Kind::kConnect || s.kind == Statement::Kind::kAddPlug;
    CPlug2* a = Resolve(scope, s.a, structural, &problem);
    if (a == nullptr) return Fail(s.line, problem);
    switch (s.kind) {
        case Statement::Kind::kConnect: {
            CPlug2* b = Resolve(scope, s.b, true, &problem);
            if (b == nullptr) return Fail(s.line, problem);
            for (const CPlug2* p : {a, b}) {
                if (p->owner()->parent() != scope.container) {
                    return Fail(s.line, "a connection joins modules inside this container; " +
                                            Quoted(PathText(p == a ? s.a.path : s.b.path)) +
                                            " is not one of them");
                }
            }
            std::string message;
            if (!CanConnect(*a, *b, &message)) {
                return Fail(s.line, message.empty() ? "these plugs can't be connected"
                                                    : "can't connect: " + message);
            }
            if (Connect(*a, *b) == nullptr) return Fail(s.line, "the connection was refused");
            return true;
        }
        case Statement::Kind::kAddPlug: {
            std::unique_ptr<CPlug2> copy = a->descriptor_index() >= 0 ? a->MakeCopy() : nullptr;
            if (!copy) return Fail(s.line, "this plug can't be copied");
            CPlug2* added = a->owner()->AddPlug(std::move(copy));
            auto* io = dynamic_cast<CPlugIO2*>(added);
            auto* partner = dynamic_cast<CPlugIO2*>(a->Partner());
            if (io != nullptr && partner != nullptr && partner->owner() != nullptr) {
                auto* other =
                    dynamic_cast<CPlugIO2*>(partner->owner()->AddPlug(partner->MakeCopy()));
                if (other != nullptr) {
                    io->set_partner(other);
                    other->set_partner(io);
                }
            }
            return true;
        }
        case Statement::Kind::kName:
            a->SetName(s.text);
            if (a->GetName() != s.text) return Fail(s.line, "this plug can't be renamed");
            return true;
        case Statement::Kind::kSet:
            a->set_value(s.text);
            return true;
    }
    return true;
}

bool Builder::AddParameters(Scope& scope) {
    if (scope.block == nullptr) return true;
    for (const ParameterText& t : scope.block->parameters) {
        const int32_t type_id = t.kind == "list" ? 0 : t.kind == "text" ? 1 : 5;
        std::unique_ptr<PatchParameter_base> p = PatchParameter_base::Create(type_id);
        if (!p) return Fail(t.line, "unknown parameter kind " + Quoted(t.kind));
        if (t.plug) {
            std::string problem;
            p->plug = Resolve(scope, *t.plug, false, &problem);
            if (p->plug == nullptr) return Fail(t.line, problem);
        }
        p->name = t.name;
        p->midi_controller = t.midi_controller;
        p->ignore_program_change = t.ignore_program_change;
        p->set_handle(t.handle);
        for (const auto& [patch, text] : t.values) {
            if (auto* list = dynamic_cast<PatchParameter_list*>(p.get())) {
                int16_t v = 0;
                if (!ParseInt16(text, v)) {
                    return Fail(t.line, "list value " + Quoted(text) +
                                            " is not a whole number from -32768 to 32767");
                }
                list->set_value(patch, v);
            } else if (auto* f = dynamic_cast<PatchParameter_float*>(p.get())) {
                float v = 0;
                if (!ParseFloat(text, v)) return Fail(t.line, Quoted(text) + " is not a number");
                f->set_value(patch, v);
            } else if (auto* txt = dynamic_cast<PatchParameter_text*>(p.get())) {
                txt->set_value(patch, text);
            }
        }
        PatchParameter_base* added =
            scope.container->EnsurePatchManager().AddParameter(std::move(p));
        if (added->handle() != t.handle) {
            return Fail(t.line, "parameter " + std::to_string(t.handle) + " given twice");
        }
    }
    return true;
}

bool Builder::AddFiles(const PatchText& patch, const FileLoader& load) {
    auto read = [&](int line, const FileSource& source) -> std::optional<std::vector<uint8_t>> {
        std::optional<std::vector<uint8_t>> data = load ? load(source.path) : std::nullopt;
        if (!data) {
            Fail(line, "can't read " + Quoted(source.path));
            return std::nullopt;
        }
        if (source.size && *source.size != data->size()) {
            Fail(line, Quoted(source.path) + " has " + std::to_string(data->size()) +
                           " bytes, not " + std::to_string(*source.size));
            return std::nullopt;
        }
        if (source.hash && *source.hash != Fnv1a(*data)) {
            Fail(line, Quoted(source.path) + " doesn't match its hash");
            return std::nullopt;
        }
        return data;
    };
    for (const FileText& f : patch.files) {
        auto data = read(f.line, f.source);
        if (!data) return false;
        doc_.files().push_back(EmbeddedFile{f.stored_name, std::move(*data)});
    }
    for (const SkinText& s : patch.skins) {
        if (doc_.app().FindSkin(s.name) != nullptr) {
            return Fail(s.line, "skin " + Quoted(s.name) + " given twice");
        }
        auto skin = std::make_unique<SkinInfo>();
        skin->set_name(s.name);
        for (const BitmapText& b : s.bitmaps) {
            auto data = read(b.line, b.source);
            if (!data) return false;
            std::unique_ptr<CSkinBitmap> bitmap;
            if (b.animated) {
                auto anim = std::make_unique<CAnimBitmap>();
                anim->segment_count = b.segments;
                anim->mode = b.mode;
                anim->range_start = b.range_start;
                anim->range_end = b.range_end;
                anim->handle_rect = b.handle;
                anim->frame_width = b.frame_width;
                anim->frame_height = b.frame_height;
                anim->last_frame = b.last_frame;
                anim->type = b.type;
                anim->padding_left = b.padding_left;
                anim->padding_right = b.padding_right;
                anim->padding_top = b.padding_top;
                anim->padding_bottom = b.padding_bottom;
                bitmap = std::move(anim);
            } else {
                bitmap = std::make_unique<CSkinBitmap>();
            }
            bitmap->name = b.name;
            bitmap->width = b.width;
            bitmap->height = b.height;
            bitmap->pixel_mode = b.pixel_mode;
            bitmap->png_data = std::move(*data);
            skin->AddBitmap(std::move(bitmap));
        }
        for (const FontText& f : s.fonts) {
            auto font = std::make_unique<SkinFontInfo>();
            font->name = f.name;
            font->family = f.family;
            font->size = f.size;
            font->colour = f.colour;
            font->background_colour = f.background;
            font->flags = f.flags;
            skin->AddFont(std::move(font));
        }
        doc_.app().skins.push_back(std::move(skin));
    }
    return true;
}

void Builder::DeriveIo(CContainer& c) {
    for (const auto& p : c.plugs()) {
        if (auto* io = dynamic_cast<CPlugIO2*>(p.get())) io->DeriveIoFromWiring();
    }
    for (const auto& child : c.children()) {
        if (auto* sub = dynamic_cast<CContainer*>(child.get())) {
            DeriveIo(*sub);
        } else if (auto* m = dynamic_cast<CUG*>(child.get())) {
            for (const auto& p : m->plugs()) {
                if (auto* io = dynamic_cast<CPlugIO2*>(p.get())) io->DeriveIoFromWiring();
            }
        }
    }
}

bool Builder::Run(const PatchText& patch, const FileLoader& load) {
    if (!patch.root) return Fail(0, "the text has no root container");
    doc_.header() = patch.header;
    doc_.header().version = kArchiveVersion;
    if (!AddFiles(patch, load)) return false;
    if (!CreateTree(*patch.root)) return false;
    using Kind = Statement::Kind;
    auto run = [this](std::initializer_list<Kind> kinds) {
        for (Scope* scope : order_) {
            if (scope->block == nullptr) continue;
            for (const Statement& s : scope->block->statements) {
                if (std::find(kinds.begin(), kinds.end(), s.kind) != kinds.end() &&
                    !Exec(*scope, s)) {
                    return false;
                }
            }
        }
        return true;
    };
    if (!run({Kind::kConnect, Kind::kAddPlug}) || !run({Kind::kName}) || !run({Kind::kSet})) {
        return false;
    }
    for (Scope* scope : order_) {
        if (!AddParameters(*scope)) return false;
    }
    DeriveIo(*doc_.root());
    return true;
}

bool Build(const PatchText& patch, PatchDocument& doc, const FileLoader& load, Error* error) {
    Builder builder(doc, false);
    if (builder.Run(patch, load)) return true;
    if (error != nullptr) *error = builder.error();
    return false;
}

bool BuildText(std::string_view text, PatchDocument& doc, const FileLoader& load, Error* error) {
    std::optional<PatchText> patch = Parse(text, error);
    return patch && Build(*patch, doc, load, error);
}

}  // namespace md::patch_text
