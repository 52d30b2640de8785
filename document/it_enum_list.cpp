#include "document/it_enum_list.h"

#include <cstdlib>
#include <limits>
#include <utility>

namespace md {

namespace {

constexpr std::string_view kRangePrefix = "range";
constexpr std::string_view kAutoList = "{AUTO}";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int32_t Saturate(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}

}  // namespace

int32_t ReadDecimalPrefix(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int64_t magnitude = 0;
    constexpr int64_t kCap = int64_t{1} << 40;  // far beyond int32, no overflow while reading
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        if (magnitude < kCap) magnitude = magnitude * 10 + (text[i] - '0');
    }
    return Saturate(negative ? -magnitude : magnitude);
}

it_enum_list::it_enum_list(std::string_view meta) : meta_(meta) {
    if (meta_.starts_with(kRangePrefix)) {
        is_range_ = true;
        const std::string_view rest = std::string_view(meta_).substr(kRangePrefix.size());
        lo_ = ReadDecimalPrefix(rest);
        const size_t comma = rest.find(',');
        hi_ = comma == std::string_view::npos ? 0 : ReadDecimalPrefix(rest.substr(comma + 1));
    } else if (meta_ == kAutoList) {
        is_auto_ = true;
    }
    First();
}

size_t it_enum_list::ReadChoice(size_t start, int32_t previous_value, Entry& out) const {
    const std::string_view all(meta_);
    const size_t comma = all.find(',', start);
    std::string_view entry =
        all.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    const size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
        out.value = Saturate(int64_t{previous_value} + 1);
    } else {
        out.value = ReadDecimalPrefix(entry.substr(equals + 1));
        entry = entry.substr(0, equals);
    }
    while (!entry.empty() && IsBlank(entry.back())) entry.remove_suffix(1);
    out.text.assign(entry);
    return comma == std::string_view::npos ? std::string_view::npos : comma + 1;
}

template <class Pred>
std::optional<it_enum_list::Entry> it_enum_list::FindChoice(Pred pred) const {
    if (is_range_ || is_auto_ || meta_.empty()) return std::nullopt;
    Entry e;
    e.value = -1;  // an entry without "=" takes the previous value plus one, the first 0
    for (size_t start = 0; start != std::string::npos;) {
        start = ReadChoice(start, e.value, e);
        if (pred(e)) return e;
        ++e.index;
    }
    return std::nullopt;
}

void it_enum_list::SetRangeEntry(int32_t index) {
    current_.index = index;
    current_.value = Saturate(int64_t{lo_} + int64_t{index} * RangeStep());
    current_.text = std::to_string(current_.value);
}

void it_enum_list::First() {
    done_ = is_auto_ || (!is_range_ && meta_.empty());
    if (done_) return;
    if (is_range_) {
        SetRangeEntry(0);
        return;
    }
    current_.index = 0;
    next_start_ = ReadChoice(0, -1, current_);
}

void it_enum_list::Next() {
    if (done_) return;
    if (is_range_) {
        if (current_.value == hi_) {
            done_ = true;
        } else {
            SetRangeEntry(current_.index + 1);
        }
        return;
    }
    if (next_start_ == std::string::npos) {
        done_ = true;
        return;
    }
    ++current_.index;
    next_start_ = ReadChoice(next_start_, current_.value, current_);
}

bool it_enum_list::FindValue(int32_t value) {
    for (First(); !IsDone(); Next()) {
        if (current_.value == value) return true;
    }
    return false;
}

bool it_enum_list::FindIndex(int32_t index) {
    if (index < 0) {
        done_ = true;
        return false;
    }
    if (is_range_) {
        if (index >= size()) {
            done_ = true;
            return false;
        }
        done_ = false;
        SetRangeEntry(index);
        return true;
    }
    for (First(); !IsDone(); Next()) {
        if (current_.index == index) return true;
    }
    return false;
}

int32_t it_enum_list::size() const {
    if (is_auto_) return 0;
    if (is_range_) return Saturate(std::llabs(int64_t{hi_} - int64_t{lo_}) + 1);
    if (meta_.empty()) return 0;
    int32_t commas = 0;
    for (size_t i = 1; i < meta_.size(); ++i) commas += meta_[i] == ',' ? 1 : 0;
    return commas + 1;
}

bool it_enum_list::IsValidValue(int32_t value) const {
    if (is_auto_) return false;
    if (is_range_)
        return lo_ <= hi_ ? (value >= lo_ && value <= hi_) : (value <= lo_ && value >= hi_);
    return FindChoice([value](const Entry& e) { return e.value == value; }).has_value();
}

std::string it_enum_list::ValueToText(int32_t value) const {
    if (is_range_) return std::to_string(value);
    auto found = FindChoice([value](const Entry& e) { return e.value == value; });
    return found ? std::move(found->text) : std::string();
}

std::optional<int32_t> it_enum_list::TextToValue(std::string_view text) const {
    if (is_auto_) return std::nullopt;
    if (is_range_) {
        size_t i = 0;
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (i == text.size() || !IsDigit(text[i])) return std::nullopt;
        const int32_t value = ReadDecimalPrefix(text);
        if (!IsValidValue(value)) return std::nullopt;
        return value;
    }
    const auto found = FindChoice([text](const Entry& e) { return e.text == text; });
    if (!found) return std::nullopt;
    return found->value;
}

int32_t it_enum_list::CorrectValue(int32_t value) const {
    if (IsValidValue(value)) return value;
    if (is_range_) return lo_;
    if (is_auto_ || meta_.empty()) return 0;
    Entry first;
    ReadChoice(0, -1, first);
    return first.value;
}

}  // namespace md
