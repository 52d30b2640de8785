// The builder shared by Build and Print: Print replays its own statements through it, so that
// each plug reference it writes is one the builder resolves to the same plug.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/container.h"
#include "tools/patch_text/patch_text.h"

namespace md::patch_text {

// The title of a module or panel group; nullopt for objects without one.
std::optional<std::string> TitleOf(const CDocOb& o);
// The panel rectangle of containers, controls and panel objects; null for other objects.
Rect* PanelRectOf(CDocOb& o);
const Rect* PanelRectOf(const CDocOb& o);
// The first child module of `c` whose type is an IO module, without creating one.
CUG* FirstIoModule(const CContainer& c);
// One statement as it is written.
std::string StatementText(const Statement& s);

class Builder {
public:
    // A container block: the container and the names its block gives.
    struct Scope {
        CContainer* container = nullptr;
        const Block* block = nullptr;
        std::map<std::string, CDocOb*, std::less<>> names;
    };

    // Tolerant builders (Print's replay) skip modules they can't create instead of failing.
    Builder(PatchDocument& doc, bool tolerant) : doc_(doc), tolerant_(tolerant) {}

    // Everything, in the documented order.
    bool Run(const PatchText& patch, const FileLoader& load);

    // ---- pieces, for the replay ----
    // The root, its modules and every block's settings; IO modules declared in a block are
    // linked to their container's IO plugs.
    bool CreateTree(const ModuleText& root);
    CDocOb* ObjectOf(const ModuleText* m) const;
    Scope* ScopeOf(const Block* b) const;
    // Blocks in the order their statements run (outer containers first).
    const std::vector<Scope*>& scopes() const { return order_; }

    // The plug a reference names, or null with *problem set. With `ensure_io` a container on
    // the path gets its IO module (created and linked when missing), as a connection needs.
    CPlug2* Resolve(Scope& scope, const PlugRef& ref, bool ensure_io, std::string* problem);
    // Runs a connect, add_plug, name or set statement.
    bool Exec(Scope& scope, const Statement& s);
    // Adds one block's patch parameters to its container's patch memory.
    bool AddParameters(Scope& scope);

    const Error& error() const { return error_; }

private:
    bool Fail(int line, std::string message);
    CDocOb* CreateModule(const ModuleText& m, CContainer* parent);
    void ApplySettings(const Block& b, CContainer& c);
    CDocOb* FindModule(Scope& scope, const std::vector<std::string>& path, bool ensure_io,
                       std::string* problem);
    CUG* EnsureIo(CContainer& c);
    bool AddFiles(const PatchText& patch, const FileLoader& load);
    void DeriveIo(CContainer& c);

    PatchDocument& doc_;
    bool tolerant_;
    Error error_;
    std::vector<std::unique_ptr<Scope>> scopes_;
    std::vector<Scope*> order_;
    std::map<const Block*, Scope*> by_block_;
    std::map<const CContainer*, Scope*> by_container_;
    std::map<const ModuleText*, CDocOb*> objects_;
};

// Links the unpartnered IO plugs of a container and of its IO module, in order.
void LinkIoPlugs(CUG& container, CUG& io);

// Plug names a reference finds, in this order: the plug's own name; for an IO plug, its
// partner's name; the descriptor name, preferring a plug not yet connected.
CPlug2* FindPlugByName(const CUG& m, const std::string& name);

}  // namespace md::patch_text
