#include "document/module_info.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/module_registry.h"
#include "engine/ug_base.h"

namespace md {
namespace {

// A unit that lists one audio input, one output and one parameter, and counts its instances.
class ListingUnit : public ug_base {
public:
    static inline int alive = 0;
    static inline int made = 0;

    ListingUnit() {
        ++alive;
        ++made;
    }
    ~ListingUnit() override { --alive; }

    std::unique_ptr<ug_base> CreateInstance() const override {
        return std::make_unique<ListingUnit>();
    }
    void ListInterface(InterfaceList& list) override {
        list.push_back(InterfaceObject::Make(&in, DR_IN, PT_AUDIO, "Signal In", "5"));
        list.push_back(InterfaceObject::Make(&out, DR_OUT, PT_AUDIO, "Signal Out"));
        list.push_back(InterfaceObject::Make(nullptr, DR_PARAMETER, PT_ENUM, "Mode", "0", "Lin,Exp",
                                             0, "curve", &mode));
    }

    float* in = nullptr;
    float* out = nullptr;
    int16_t mode = 0;
};

std::unique_ptr<ug_base> MakeListingUnit(Module_Info* /*type*/) {
    return std::make_unique<ListingUnit>();
}

TEST(ModuleInfoConstruction, BuiltInTypesTakeTheirPlugsFromATemporaryUnit) {
    ListingUnit::made = 0;
    const Module_Info info("Test Unit", "", 0, 0, nullptr, &MakeListingUnit, 0x0100, 7, "",
                           "ug_listing");
    EXPECT_EQ(ListingUnit::made, 1);
    EXPECT_EQ(ListingUnit::alive, 0);  // the unit is gone again
    EXPECT_EQ(info.flags(), 0x1100);
    EXPECT_EQ(info.legacy_number(), 7);
    EXPECT_EQ(info.doc_class(), "CUG");
    ASSERT_EQ(info.plugs().size(), 3u);
    EXPECT_EQ(info.plugs()[0].name, "Signal In");
    EXPECT_EQ(info.plugs()[0].flags, 0x0001);
    EXPECT_EQ(info.plugs()[0].default_value, "5");
    EXPECT_EQ(info.plugs()[1].flags, 0);
    EXPECT_EQ(info.plugs()[2].direction, DR_PARAMETER);
    EXPECT_EQ(info.plugs()[2].hint, "curve");
    for (const InterfaceObject& plug : info.plugs()) {
        // The registry's copy binds nothing: the unit the addresses pointed into is gone.
        EXPECT_EQ(plug.variable, nullptr) << plug.name;
        EXPECT_EQ(plug.parameter_variable, nullptr) << plug.name;
    }
}

TEST(ModuleInfoConstruction, CreateDspObjectUsesTheFactory) {
    Module_Info with_unit("Test Unit", "", 0, 0, nullptr, &MakeListingUnit, 0, -1);
    std::unique_ptr<ug_base> unit = with_unit.CreateDspObject();
    EXPECT_NE(dynamic_cast<ListingUnit*>(unit.get()), nullptr);
    unit.reset();

    Module_Info without_unit("Panel Only", "", 0, 0, nullptr, nullptr, 0x0080, -1);
    EXPECT_EQ(without_unit.CreateDspObject(), nullptr);
    EXPECT_TRUE(without_unit.plugs().empty());
    EXPECT_EQ(without_unit.flags(), 0x1080);
}

TEST(ModuleInfoConstruction, FieldsAreStoredAsGiven) {
    ModuleInfoFields fields;
    fields.id = "Stored";
    fields.flags = 0x0100;
    fields.plugs.push_back(InterfaceObject::Make(nullptr, DR_OUT, PT_FLOAT, "Value Out"));
    const Module_Info info(std::move(fields));
    EXPECT_EQ(info.flags(), 0x0100);
    EXPECT_EQ(info.legacy_number(), -1);
    EXPECT_EQ(info.plugs().size(), 1u);
}

TEST(ModuleInfoDisplayName, ComesFromTheStringTable) {
    const std::pair<const char*, const char*> cases[] = {
        {"ADSR", "ADSR"},
        {"VST Input", "VST Input"},
        {"Phase Dist Osc", "Phase Dist Osc"},
        {"Oscillator", "Oscillator"},
        {"Slider", "Slider"},    // name number 0: the id
        {"Drum Sequencer", ""},  // 446 has no text in the table
        {"Trigger to MIDI", ""},
    };
    for (const auto& [id, name] : cases) {
        const Module_Info* info = Registry().FindModule(id);
        ASSERT_NE(info, nullptr) << id;
        EXPECT_EQ(info->GetDisplayName(), name) << id;
    }
    const Module_Info group_as_name("Odd", "", 32820, 0, nullptr, nullptr, 0, -1);
    EXPECT_EQ(group_as_name.GetDisplayName(), "Waveform");
}

Module_Info* visual_asked_for = nullptr;

VisualObPtr RecordVisualRequest(Module_Info* type) {
    visual_asked_for = type;
    return VisualObPtr(nullptr, nullptr);
}

TEST(ModuleInfoVisual, Module_Info2CallsItsFactory) {
    Module_Info2 info("Custom", "", 0, 0, nullptr, nullptr, &RecordVisualRequest, 0x2080, -1);
    Module_Info& base = info;
    visual_asked_for = nullptr;
    base.CreateVisual();
    EXPECT_EQ(visual_asked_for, &info);
    EXPECT_EQ(info.flags(), 0x3080);
}

}  // namespace
}  // namespace md
