// The choices of a list plug, read from its meta text.
//
// Forms of the meta text:
//   choice list  "All=-1,1,2,3"    entries separated by commas; "=n" gives an entry its value,
//                                  an entry without it takes the previous value plus one (the
//                                  first entry 0); trailing blanks of a text are dropped,
//                                  leading blanks kept.
//   range        "range 1,16"      the numbers from the first to the second, in steps of 1,
//                                  each shown as its decimal number ("range 5,1" counts down).
//   automatic    "{AUTO}"          the choices come from the plug's connection: no entries.
//
// An it_enum_list keeps its own copy of the text and reads entries as it goes (a range is
// never expanded into a table). Any thread, one object per thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace md {

// Reads a decimal integer the way list values and legacy type numbers are written: optional
// leading blanks, an optional sign, then the run of digits; no digits give 0. Out-of-range
// values saturate.
int32_t ReadDecimalPrefix(std::string_view text);

class it_enum_list {
public:
    struct Entry {
        int32_t index = 0;  // position in text order, from 0
        int32_t value = 0;
        std::string text;
    };

    explicit it_enum_list(std::string_view meta);

    // Cursor iteration in text order: for (First(); !IsDone(); Next()) CurrentItem() ...
    void First();
    void Next();
    bool IsDone() const { return done_; }
    const Entry& CurrentItem() const { return current_; }

    // Moves the cursor to the first entry with this value / at this index; false (and the
    // cursor done) when there is none.
    bool FindValue(int32_t value);
    bool FindIndex(int32_t index);

    bool IsRange() const { return is_range_; }
    bool IsAuto() const { return is_auto_; }
    // Bounds of a range as written (RangeLo() is the first entry); 0 for other lists.
    int32_t RangeLo() const { return lo_; }
    int32_t RangeHi() const { return hi_; }

    // Number of entries. For a range |hi - lo| + 1 (saturated); for a choice list one more
    // than the number of commas after the first character, 0 for an empty text; 0 for
    // "{AUTO}".
    int32_t size() const;

    bool IsValidValue(int32_t value) const;
    // Value to text: for a range the decimal number; otherwise the text of the first entry
    // with that value, empty when none has it.
    std::string ValueToText(int32_t value) const;
    // Text to value: the value of the first entry whose text equals `text` exactly (for a
    // range, a decimal number inside it); nullopt when none does.
    std::optional<int32_t> TextToValue(std::string_view text) const;
    // The list-value correction: a value in the list stays; any other value becomes the
    // first entry's value (0 for an empty list).
    int32_t CorrectValue(int32_t value) const;

private:
    // Reads the choice entry that begins at `start` into `out` (its value follows
    // `previous_value`); returns where the next entry begins, or npos after the last one.
    size_t ReadChoice(size_t start, int32_t previous_value, Entry& out) const;
    // First choice-list entry for which `pred` holds; nullopt for ranges and "{AUTO}".
    template <class Pred>
    std::optional<Entry> FindChoice(Pred pred) const;
    int32_t RangeStep() const { return hi_ >= lo_ ? 1 : -1; }
    void SetRangeEntry(int32_t index);

    std::string meta_;
    bool is_range_ = false;
    bool is_auto_ = false;
    int32_t lo_ = 0;
    int32_t hi_ = 0;

    // Cursor.
    Entry current_;
    bool done_ = true;
    size_t next_start_ = 0;  // choice list: where the entry after the current one begins
};

}  // namespace md
