#include "document/string_table.h"

#include <algorithm>
#include <array>

namespace md {

namespace {

struct StringEntry {
    uint32_t number;
    std::string_view text;
};

// Sorted by number. The runtime carries only these texts; every other number reads as empty.
constexpr std::array<StringEntry, 6> kStrings{{
    {494, "VST Input"},
    {495, "VST Output"},
    {32819, "Oscillator"},
    {32820, "Waveform"},
    {32821, "ADSR"},
    {32822, "Phase Dist Osc"},
}};

static_assert(std::is_sorted(kStrings.begin(), kStrings.end(),
                             [](const StringEntry& a, const StringEntry& b) {
                                 return a.number < b.number;
                             }));

}  // namespace

std::string_view LookupString(uint32_t number) {
    const auto it = std::lower_bound(kStrings.begin(), kStrings.end(), number,
                                     [](const StringEntry& e, uint32_t n) { return e.number < n; });
    if (it == kStrings.end() || it->number != number) return {};
    return it->text;
}

}  // namespace md
