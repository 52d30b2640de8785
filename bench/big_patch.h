// A big patch built with the document API, for benchmarks: source/sink pairs spread over the
// root and a few nested containers, wired inside each container and through the containers'
// spare plugs, with exactly the requested numbers of modules and connections.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "document/connect.h"
#include "document/connection.h"
#include "document/container.h"
#include "document/module_registry.h"
#include "document/patch_document.h"
#include "tests/document/test_module_types.h"

namespace md::bench {

struct BigPatchShape {
    int modules = 1000;      // every module below the root: containers and IO modules included
    int connections = 2000;  // every connection in the tree
    int containers = 4;      // nested containers, one of them inside another
    int through = 16;        // per container: inputs and outputs wired through its spares
};

// Modules and connections of the tree below `c`.
struct TreeCounts {
    int modules = 0;
    int connections = 0;
};

inline TreeCounts CountTree(const CContainer& c) {
    TreeCounts n;
    for (const auto& child : c.children()) {
        if (dynamic_cast<const CLine2*>(child.get()) != nullptr) ++n.connections;
        if (dynamic_cast<const CUG*>(child.get()) != nullptr) ++n.modules;
        if (auto* sub = dynamic_cast<const CContainer*>(child.get())) {
            const TreeCounts s = CountTree(*sub);
            n.modules += s.modules;
            n.connections += s.connections;
        }
    }
    return n;
}

namespace detail {

struct Group {
    CContainer* container = nullptr;
    Group* parent = nullptr;  // null for the root
    std::vector<CUG*> sources, sinks;
};

inline CUG* AddModule(const char* id, CContainer& into) {
    std::unique_ptr<CDocOb> o = Registry().CreateDocObject(id);
    if (dynamic_cast<CUG*>(o.get()) == nullptr) return nullptr;
    return static_cast<CUG*>(into.AddChild(std::move(o)));
}

inline CPlugIO2* FreeSpare(const CUG& m) {
    for (const auto& p : m.plugs()) {
        auto* x = dynamic_cast<CPlugIO2*>(p.get());
        if (x != nullptr && x->partner() != nullptr && !x->PairConnected()) return x;
    }
    return nullptr;
}

}  // namespace detail

// Builds the patch as the root of `doc`. Empty on success, else what went wrong.
inline std::string BuildBigPatch(PatchDocument& doc, const BigPatchShape& shape = {}) {
    using detail::Group;
    test::RegisterTestModuleTypes();
    std::unique_ptr<CDocOb> root = Registry().CreateDocObject("Container");
    if (dynamic_cast<CContainer*>(root.get()) == nullptr) return "no container type";
    doc.set_root(std::unique_ptr<CContainer>(static_cast<CContainer*>(root.release())));
    doc.root()->EnsurePatchManager();

    // Group 0 is the root; container k lies in the root, except the second, which lies in the
    // first. Each container brings its IO module.
    std::vector<Group> groups(static_cast<size_t>(shape.containers) + 1);
    groups[0].container = doc.root();
    int modules = 0;
    for (int k = 1; k <= shape.containers; ++k) {
        Group& g = groups[static_cast<size_t>(k)];
        g.parent = &groups[k == 2 ? 1 : 0];
        CUG* c = detail::AddModule("Container", *g.parent->container);
        g.container = dynamic_cast<CContainer*>(c);
        if (g.container == nullptr || g.container->FindIoModule() == nullptr) {
            return "no container with an IO module";
        }
        g.container->set_title("group " + std::to_string(k));
        modules += 2;
    }
    const int pairs = (shape.modules - modules) / 2;
    for (int p = 0; p < pairs; ++p) {
        Group& g = groups[static_cast<size_t>(p) % groups.size()];
        CUG* source = detail::AddModule(test::kTestSource, *g.container);
        CUG* sink = detail::AddModule(test::kTestSink, *g.container);
        if (source == nullptr || sink == nullptr) return "no test module types";
        g.sources.push_back(source);
        g.sinks.push_back(sink);
        modules += 2;
    }
    if ((shape.modules - modules) % 2 != 0) {
        if (detail::AddModule(test::kTestSink, *doc.root()) == nullptr) return "no sink type";
        ++modules;
    }

    int connections = 0;
    auto join = [&connections](CPlug2* a, CPlug2* b) {
        if (a == nullptr || b == nullptr || Connect(*a, *b) == nullptr) return false;
        ++connections;
        return true;
    };
    // Through each container's spares: a source outside feeds a sink inside, and a source
    // inside drives a sink outside.
    for (size_t k = 1; k < groups.size(); ++k) {
        Group& g = groups[k];
        Group& outside = *g.parent;
        CUG* io = g.container->FindIoModule();
        const size_t n = std::min(
            {static_cast<size_t>(shape.through), g.sources.size(), outside.sources.size()});
        for (size_t t = 0; t < n; ++t) {
            CPlugIO2* in = detail::FreeSpare(*g.container);
            if (in == nullptr || !join(outside.sources[t]->FindPlug("Out"), in) ||
                !join(in->partner(), g.sinks[t]->FindPlug("In"))) {
                return "refused an inbound connection";
            }
            CPlugIO2* out = detail::FreeSpare(*io);
            if (out == nullptr || !join(g.sources[t]->FindPlug("MIDI Out"), out) ||
                !join(out->partner(), outside.sinks[t]->FindPlug("MIDI In"))) {
                return "refused an outbound connection";
            }
        }
    }
    // Inside each group, pass after pass until the budget is spent: a source to its own sink's
    // audio, value and MIDI inputs, then to the next pair's audio input.
    static constexpr const char* kPatterns[][2] = {
        {"Out", "In"}, {"Level", "Value"}, {"MIDI Out", "MIDI In"}, {"Out", "In"}};
    for (int pass = 0; pass < 4 && connections < shape.connections; ++pass) {
        for (Group& g : groups) {
            const size_t n = g.sources.size();
            for (size_t i = 0; i < n && connections < shape.connections; ++i) {
                CUG* sink = g.sinks[pass == 3 ? (i + 1) % n : i];
                if (pass == 3 && n < 2) break;
                if (!join(g.sources[i]->FindPlug(kPatterns[pass][0]),
                          sink->FindPlug(kPatterns[pass][1]))) {
                    return "refused a connection inside a group";
                }
            }
        }
    }
    const TreeCounts built = CountTree(*doc.root());
    if (built.modules != shape.modules || built.connections != shape.connections) {
        return "built " + std::to_string(built.modules) + " modules and " +
               std::to_string(built.connections) + " connections";
    }
    return {};
}

}  // namespace md::bench
