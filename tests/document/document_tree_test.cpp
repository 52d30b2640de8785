// Loaded trees: connections attached once, spares kept as stored, container IO plugs knowing
// their direction, and a tree written and read back unchanged.
#include <gtest/gtest.h>

#include "document/connect.h"
#include "document/container.h"
#include "document/module_registry.h"
#include "document/patch_document.h"
#include "tests/document/test_module_types.h"

namespace md {
namespace {

template <class T>
T* Add(const char* id, CContainer& into) {
    std::unique_ptr<CDocOb> o = Registry().CreateDocObject(id);
    EXPECT_NE(dynamic_cast<T*>(o.get()), nullptr) << id;
    return static_cast<T*>(into.AddChild(std::move(o)));
}

int IoPlugs(const CUG& m) {
    int n = 0;
    for (const auto& p : m.plugs()) n += dynamic_cast<const CPlugIO2*>(p.get()) != nullptr;
    return n;
}

// root: source -> [inner: io -> sink -> io] -> sink2, so the inner container has one input
// and one output besides its free spare.
struct Patch {
    ApplicationFiles app;
    PatchDocument doc{app};

    Patch() {
        test::RegisterTestModuleTypes();
        auto root = std::unique_ptr<CContainer>(
            static_cast<CContainer*>(Registry().CreateDocObject("Container").release()));
        doc.set_root(std::move(root));
        CContainer& r = *doc.root();
        r.EnsurePatchManager();  // as a loaded root has
        CUG* source = Add<CUG>(test::kTestSource, r);
        source->set_title("source");
        auto* inner = Add<CContainer>("Container", r);
        inner->set_title("inner");
        CUG* io = inner->FindIoModule();
        CUG* sink = Add<CUG>(test::kTestSink, *inner);
        CUG* inner_source = Add<CUG>(test::kTestSource, *inner);
        CUG* sink2 = Add<CUG>(test::kTestSink, r);

        auto free_spare = [](CUG& m) -> CPlugIO2* {
            for (const auto& p : m.plugs()) {
                auto* x = dynamic_cast<CPlugIO2*>(p.get());
                if (x != nullptr && !x->PairConnected()) return x;
            }
            return nullptr;
        };
        CPlugIO2* in = free_spare(*inner);
        EXPECT_NE(Connect(*source->FindPlug("Level"), *in), nullptr);
        EXPECT_NE(Connect(*in->partner(), *sink->FindPlug("Value")), nullptr);
        CPlugIO2* out_inner = free_spare(*io);
        EXPECT_NE(Connect(*inner_source->FindPlug("MIDI Out"), *out_inner), nullptr);
        EXPECT_NE(Connect(*out_inner->partner(), *sink2->FindPlug("MIDI In")), nullptr);
    }

    std::vector<uint8_t> Save() const { return doc.Save(); }
};

const CContainer* Inner(const PatchDocument& doc) {
    for (const auto& c : doc.root()->children()) {
        if (auto* k = dynamic_cast<const CContainer*>(c.get())) return k;
    }
    return nullptr;
}

TEST(DocumentTree, ConnectionsAreAttachedOnceAndSparesKeptAfterLoading) {
    Patch patch;
    const CContainer* before = Inner(patch.doc);
    ASSERT_EQ(IoPlugs(*before), 3);

    const std::vector<uint8_t> bytes = patch.Save();
    ApplicationFiles app;
    PatchDocument loaded(app);
    LoadOptions tool;
    tool.plugin_mode = false;
    ASSERT_TRUE(loaded.LoadFromBytes(bytes, tool)) << loaded.error();
    const CContainer* inner = Inner(loaded);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(IoPlugs(*inner), 3);
    for (const auto& c : inner->children()) {
        if (auto* m = dynamic_cast<const CUG*>(c.get())) {
            for (const auto& p : m->plugs()) EXPECT_LE(p->connections().size(), 1u);
            if (m->type_flags() & 0x0004) {
                EXPECT_EQ(IoPlugs(*m), 3);
            }
        }
    }
    for (const auto& p : inner->plugs()) {
        for (const CLine2* line : p->connections()) {
            EXPECT_TRUE(line->from() == p.get() || line->to() == p.get());
        }
        EXPECT_LE(p->connections().size(), 1u);
    }
    // Writing the loaded tree gives the same bytes.
    const std::vector<uint8_t> again = loaded.Save();
    ASSERT_EQ(again.size(), bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(again[i], bytes[i]) << "at byte " << i;
}

TEST(DocumentTree, ContainerIoPlugsKnowTheirDirectionAndType) {
    Patch patch;
    ApplicationFiles app;
    PatchDocument loaded(app);
    LoadOptions tool;
    tool.plugin_mode = false;
    ASSERT_TRUE(loaded.LoadFromBytes(patch.Save(), tool));
    const CContainer* inner = Inner(loaded);
    std::vector<const CPlugIO2*> io;
    for (const auto& p : inner->plugs()) {
        if (auto* x = dynamic_cast<const CPlugIO2*>(p.get())) io.push_back(x);
    }
    ASSERT_EQ(io.size(), 3u);
    // In plug order: the free spare, then the two used pairs in the order they were made.
    auto used = [&](Direction d) -> const CPlugIO2* {
        for (const CPlugIO2* x : io) {
            if (x->PairConnected() && x->io_direction() == d) return x;
        }
        return nullptr;
    };
    ASSERT_NE(used(DR_IN), nullptr);
    EXPECT_EQ(used(DR_IN)->io_data_type(), PT_FLOAT);
    ASSERT_NE(used(DR_OUT), nullptr);
    EXPECT_EQ(used(DR_OUT)->io_data_type(), PT_MIDI);
}

TEST(DocumentTree, WiringDecidesTheIoDirectionWhenTheFileDoesNot) {
    Patch patch;
    const CContainer* inner = Inner(patch.doc);
    for (const auto& p : inner->plugs()) {
        auto* x = dynamic_cast<CPlugIO2*>(p.get());
        if (x == nullptr) continue;
        x->set_io(DR_IN, PT_AUDIO);
        const bool known = x->DeriveIoFromWiring();
        EXPECT_EQ(known, x->PairConnected());
        if (!known) {
            EXPECT_EQ(x->io_direction(), DR_IN) << "an unused plug stays an audio input";
            EXPECT_EQ(x->io_data_type(), PT_AUDIO);
        } else if (x->io_data_type() == PT_MIDI) {
            EXPECT_EQ(x->io_direction(), DR_OUT);
        } else {
            EXPECT_EQ(x->io_direction(), DR_IN);
            EXPECT_EQ(x->io_data_type(), PT_FLOAT);
        }
    }
}

}  // namespace
}  // namespace md

namespace md {
namespace {

// A module publishing two GUI-side values.
class FeatureModule : public CUG {
public:
    std::vector<FeatureInfo> Features() const override {
        return {{"Level", DR_OUT, PT_FLOAT, ""}, {"Label", DR_OUT, PT_TEXT, ""}};
    }
    static std::unique_ptr<CDocOb> Make(Module_Info* type) {
        auto m = std::make_unique<FeatureModule>();
        m->CreateFromType(type);
        return m;
    }
};

TEST(DocumentTree, FeaturesGetPlugsWhenMadeAndWhenNewerThanTheFile) {
    if (Registry().FindModule("Test Features") == nullptr) {
        ModuleInfoFields f;
        f.id = "Test Features";
        f.doc_factory = &FeatureModule::Make;
        Registry().RegisterModule(std::make_unique<Module_Info>(std::move(f)));
    }
    std::unique_ptr<CDocOb> o = Registry().CreateDocObject("Test Features");
    auto* m = dynamic_cast<CUG*>(o.get());
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->plugs().size(), 2u);
    auto* label = dynamic_cast<CPlugFeature*>(m->plugs()[1].get());
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->feature_number(), 1);
    EXPECT_EQ(label->GetName(), "Label");
    EXPECT_EQ(label->value(), "0");
    EXPECT_TRUE(label->IsGuiSide());

    // A file written when only the first feature existed gains the second after loading.
    m->RemovePlug(label);
    ASSERT_EQ(m->plugs().size(), 1u);
    m->FinishLoadedPlugs();
    ASSERT_EQ(m->plugs().size(), 2u);
    EXPECT_EQ(dynamic_cast<CPlugFeature*>(m->plugs()[1].get())->feature_number(), 1);
}

}  // namespace
}  // namespace md

namespace md {
namespace {

// Sources and sinks wired in a zigzag (each source feeds two sinks, each sink mixes two
// sources), so that writing the first plug writes the whole chain nested inside it.
TEST(DocumentTree, DeeplyNestedRecordsOfABigPatchLoad) {
    test::RegisterTestModuleTypes();
    ApplicationFiles app;
    PatchDocument doc(app);
    doc.set_root(std::unique_ptr<CContainer>(
        static_cast<CContainer*>(Registry().CreateDocObject("Container").release())));
    CContainer& root = *doc.root();
    root.EnsurePatchManager();
    constexpr int kPairs = 2000;
    std::vector<CUG*> sources, sinks;
    for (int i = 0; i < kPairs; ++i) {
        sources.push_back(Add<CUG>(test::kTestSource, root));
        sinks.push_back(Add<CUG>(test::kTestSink, root));
    }
    for (int i = 0; i < kPairs; ++i) {
        ASSERT_NE(Connect(*sources[i]->FindPlug("Out"), *sinks[i]->FindPlug("In")), nullptr);
        if (i + 1 < kPairs) {
            ASSERT_NE(Connect(*sources[i + 1]->FindPlug("Out"), *sinks[i]->FindPlug("In")),
                      nullptr);
        }
    }
    const std::vector<uint8_t> bytes = doc.Save();

    // The records nest about four levels per pair, far deeper than a small stack allows; the
    // document reads them on a stack of its own.
    ApplicationFiles app2;
    PatchDocument loaded(app2);
    LoadOptions tool;
    tool.plugin_mode = false;
    ASSERT_TRUE(loaded.LoadFromBytes(bytes, tool)) << loaded.error();
    EXPECT_EQ(loaded.root()->children().size(), root.children().size());
    EXPECT_EQ(loaded.Save(), bytes);
}

TEST(DocumentTree, ContainersNestedBeyondTheLimitAreRefused) {
    for (const int depth : {Archive::kMaxContainerDepth - 1, Archive::kMaxContainerDepth + 1}) {
        SCOPED_TRACE(depth);
        ApplicationFiles app;
        PatchDocument doc(app);
        doc.set_root(std::unique_ptr<CContainer>(
            static_cast<CContainer*>(Registry().CreateDocObject("Container").release())));
        CContainer* c = doc.root();
        for (int i = 0; i < depth; ++i) c = Add<CContainer>("Container", *c);
        ApplicationFiles app2;
        PatchDocument loaded(app2);
        LoadOptions tool;
        tool.plugin_mode = false;
        const bool ok = loaded.LoadFromBytes(doc.Save(), tool);
        EXPECT_EQ(ok, depth + 1 <= Archive::kMaxContainerDepth) << loaded.error();
    }
}

}  // namespace
}  // namespace md
