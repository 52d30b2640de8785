#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/module_info.h"
#include "document/module_registry.h"
#include "engine/ug_base.h"

namespace md {
namespace {

TEST(MdpatchTypes, OneLinePerRegisteredType) {
    // A registry of its own: other tests add types to the process's registry.
    const ModuleRegistry registry(ModuleRegistry::Contents::kBuiltIn);
    std::vector<std::string> lines;
    for (const auto& [id, info] : registry.modules()) lines.push_back(DescribeModuleType(*info));
    ASSERT_EQ(lines.size(), 137u);
    EXPECT_EQ(lines.front().substr(0, lines.front().find('\t')), "1 KHz Tone");  // id order

    const auto line_of = [&](const std::string& id) {
        for (const std::string& line : lines) {
            if (line.starts_with(id + '\t')) return line;
        }
        return std::string();
    };
    EXPECT_EQ(line_of("ADSR"), "ADSR\t2\t32821\t32820\t0x1100\tCUG\t-\t0");
    EXPECT_EQ(line_of("Soundfont Player"),
              "Soundfont Player\t86\t486\t292\t0x11e0\tCtl_SamplePlay2\t-\t0");
    EXPECT_EQ(line_of("Sub Panel"), "Sub Panel\t102\t502\t32828\t0x1080\tCPortal\t-\t0");
    EXPECT_EQ(line_of("PatchMemFloatIn"),
              "PatchMemFloatIn\t-1\t140\t131\t0x0100\tui_param_float_in2\t-\t6");
}

class OnePlugUnit : public ug_base {
public:
    std::unique_ptr<ug_base> CreateInstance() const override {
        return std::make_unique<OnePlugUnit>();
    }
    void ListInterface(InterfaceList& list) override {
        list.push_back(InterfaceObject::Make(nullptr, DR_OUT, PT_AUDIO, "Out"));
    }
};

TEST(MdpatchTypes, NamesTheUnitClassOnceAFactoryIsAttached) {
    const Module_Info info("Tone", "", 0, 0, nullptr, &MakeUnit<OnePlugUnit>, 0x0100, -1, "",
                           "ug_tone");
    EXPECT_EQ(DescribeModuleType(info), "Tone\t-1\t0\t0\t0x1100\tCUG\tug_tone\t1");
}

}  // namespace
}  // namespace md
