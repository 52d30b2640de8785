#include "document/it_enum_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace md {
namespace {

constexpr const char* kChannels = "All=-1,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16";

struct TextCase {
    const char* meta;
    int32_t value;
    const char* text;
};

TEST(EnumListValueToText, ShowsTheFirstEntryWithTheValue) {
    const TextCase cases[] = {
        {kChannels, -1, "All"},
        {kChannels, 0, "1"},
        {kChannels, 15, "16"},
        {kChannels, 16, ""},
        {"None=10,0=0,1,2", 10, "None"},
        {"None=10,0=0,1,2", 0, "0"},
        {"None=10,0=0,1,2", 2, "2"},
        {"On=1,Off=0", 1, "On"},
        {"On=1,Off=0", 0, "Off"},
        {"A=1,B=1", 1, "A"},
        {"range 1,16", 7, "7"},
        {"range 1,16", 40, "40"},  // a range shows any number
        {"Sqr Root ,Cube", 0, "Sqr Root"},
        {"Equal Intensity (0dB), Equal Power(+3dB)", 1, " Equal Power(+3dB)"},
        {"", 0, ""},
        {"{AUTO}", 0, ""},
    };
    for (const TextCase& c : cases) {
        EXPECT_EQ(it_enum_list(c.meta).ValueToText(c.value), c.text)
            << c.meta << " value " << c.value;
    }
}

TEST(EnumListIteration, YieldsEntriesInTextOrder) {
    using Entries = std::vector<std::pair<std::string, int32_t>>;
    const std::pair<const char*, Entries> cases[] = {
        {"None=10,0=0,1,2", {{"None", 10}, {"0", 0}, {"1", 1}, {"2", 2}}},
        {"A=5,B,C=2,D", {{"A", 5}, {"B", 6}, {"C", 2}, {"D", 3}}},
        {"x,,y", {{"x", 0}, {"", 1}, {"y", 2}}},
        {"Lo = -3 ,Hi", {{"Lo", -3}, {"Hi", -2}}},
        {"range 5,1", {{"5", 5}, {"4", 4}, {"3", 3}, {"2", 2}, {"1", 1}}},
        {"range -1,1", {{"-1", -1}, {"0", 0}, {"1", 1}}},
        {"range 3,3", {{"3", 3}}},
        {"", {}},
        {"{AUTO}", {}},
    };
    for (const auto& [meta, expected] : cases) {
        it_enum_list list(meta);
        Entries seen;
        int32_t index = 0;
        for (list.First(); !list.IsDone(); list.Next()) {
            EXPECT_EQ(list.CurrentItem().index, index++) << meta;
            seen.emplace_back(list.CurrentItem().text, list.CurrentItem().value);
        }
        EXPECT_EQ(seen, expected) << meta;
    }
}

TEST(EnumListSize, CountsEntries) {
    const std::pair<const char*, int32_t> cases[] = {
        {kChannels, 17},
        {"On=1,Off=0", 2},
        {"range 1,16", 16},
        {"range 5,1", 5},
        {"range -1,99", 101},
        {"range 0,127", 128},
        {"", 0},
        {"{AUTO}", 0},
        {",edit,explore", 2},  // a comma in first place is not counted
    };
    for (const auto& [meta, count] : cases) EXPECT_EQ(it_enum_list(meta).size(), count) << meta;
}

TEST(EnumListKinds, RecognisesRangesAndAutomaticLists) {
    const it_enum_list range("range -1,99");
    EXPECT_TRUE(range.IsRange());
    EXPECT_EQ(range.RangeLo(), -1);
    EXPECT_EQ(range.RangeHi(), 99);
    EXPECT_TRUE(it_enum_list("{AUTO}").IsAuto());
    EXPECT_FALSE(it_enum_list("Range 1,2").IsRange());  // the prefix is case-sensitive
    EXPECT_FALSE(it_enum_list("{auto}").IsAuto());
}

struct CorrectionCase {
    const char* meta;
    int32_t value;
    int32_t corrected;
};

TEST(EnumListCorrection, KeepsListedValuesAndReplacesOthersByTheFirst) {
    const CorrectionCase cases[] = {
        {kChannels, 16, -1},    {kChannels, 5, 5},
        {kChannels, -1, -1},    {"None=10,0=0,1,2", 3, 10},
        {"On=1,Off=0", 2, 1},   {"range 1,16", 0, 1},
        {"range 1,16", 16, 16}, {"range 5,1", 7, 5},
        {"range 5,1", 1, 1},    {"", 3, 0},
    };
    for (const CorrectionCase& c : cases) {
        EXPECT_EQ(it_enum_list(c.meta).CorrectValue(c.value), c.corrected)
            << c.meta << " value " << c.value;
    }
}

TEST(EnumListTextToValue, FindsTheEntryWithThatText) {
    const std::pair<std::pair<const char*, const char*>, std::optional<int32_t>> cases[] = {
        {{"On=1,Off=0", "Off"}, 0},
        {{"On=1,Off=0", "off"}, std::nullopt},  // exact text only
        {{"None=10,0=0,1,2", "None"}, 10},
        {{"None=10,0=0,1,2", "1"}, 1},
        {{"Sqr Root ,Cube", "Sqr Root"}, 0},
        {{"range 1,16", "7"}, 7},
        {{"range 1,16", "17"}, std::nullopt},
        {{"range 1,16", "seven"}, std::nullopt},
        {{"range 5,1", "2"}, 2},
        {{"{AUTO}", "{AUTO}"}, std::nullopt},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(it_enum_list(input.first).TextToValue(input.second), expected)
            << input.first << " text " << input.second;
    }
}

TEST(EnumListCursor, FindsByValueAndIndex) {
    it_enum_list list("None=10,0=0,1,2");
    ASSERT_TRUE(list.FindValue(1));
    EXPECT_EQ(list.CurrentItem().index, 2);
    list.Next();
    EXPECT_EQ(list.CurrentItem().text, "2");
    EXPECT_FALSE(list.FindValue(5));
    EXPECT_TRUE(list.IsDone());

    it_enum_list range("range 10,1");
    ASSERT_TRUE(range.FindIndex(3));
    EXPECT_EQ(range.CurrentItem().value, 7);
    EXPECT_FALSE(range.FindIndex(10));
    EXPECT_TRUE(range.FindIndex(9));
    EXPECT_EQ(range.CurrentItem().text, "1");
}

TEST(EnumListDecimalPrefix, ReadsBlanksSignAndLeadingDigits) {
    const std::pair<const char*, int32_t> cases[] = {
        {"5", 5},
        {" -12x", -12},
        {"+7", 7},
        {"x", 0},
        {"", 0},
        {"-", 0},
        {"12 34", 12},
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ReadDecimalPrefix(text), value) << text;
}

}  // namespace
}  // namespace md
