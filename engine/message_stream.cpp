#include "engine/message_stream.h"

#include <bit>
#include <cstring>

#include "engine/lock_free_fifo.h"

namespace md {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t u) {
    return u >= 0xD800 && u <= 0xDBFF;
}
bool IsLowSurrogate(char32_t u) {
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The code point starting at s[i], advancing i past it; a malformed sequence answers
// U+FFFD and consumes only the bytes that belonged to it.
char32_t NextCodePoint(std::string_view s, size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i++]);
    if (lead < 0x80) return lead;
    int extra = 0;
    char32_t cp = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, smallest = 0x10000;
    } else {
        return kReplacement;
    }
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size()) return kReplacement;
        const auto next = static_cast<unsigned char>(s[i]);
        if ((next & 0xC0) != 0x80) return kReplacement;
        cp = cp << 6 | (next & 0x3F);
        ++i;
    }
    if (cp < smallest || cp > 0x10FFFF || IsHighSurrogate(cp) || IsLowSurrogate(cp)) {
        return kReplacement;
    }
    return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | cp >> 6));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | cp >> 12));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | cp >> 18));
        out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void WriteUnit(my_output_stream& s, char16_t unit) {
    const uint8_t b[2] = {static_cast<uint8_t>(unit), static_cast<uint8_t>(unit >> 8)};
    s.write(b, 2);
}

// Reads the next UTF-16 unit; false when it did not arrive whole.
bool ReadUnit(my_input_stream& s, char16_t& unit) {
    uint8_t b[2];
    if (s.read(b, 2) != 0) return false;
    unit = static_cast<char16_t>(b[0] | b[1] << 8);
    return true;
}

// Reads a text's unit count; false when it did not arrive whole or is negative.
bool ReadCount(my_input_stream& s, int32_t& count) {
    uint8_t b[4];
    if (s.read(b, 4) != 0) return false;
    count =
        static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                             static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
    return count >= 0;
}

}  // namespace

// --- my_output_stream ----------------------------------------------------------------------

void my_output_stream::write_int(int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    write(b, 4);
}

void my_output_stream::write_float(float value) {
    write_int(std::bit_cast<int32_t>(value));
}

void my_output_stream::write_byte(uint8_t value) {
    write(&value, 1);
}

void my_output_stream::write_text(std::string_view utf8) {
    int32_t units = 1;  // the terminating zero
    for (size_t i = 0; i < utf8.size();) units += NextCodePoint(utf8, i) >= 0x10000 ? 2 : 1;
    write_int(units);
    for (size_t i = 0; i < utf8.size();) {
        const char32_t cp = NextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            WriteUnit(*this, static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            WriteUnit(*this, static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            WriteUnit(*this, static_cast<char16_t>(cp));
        }
    }
    WriteUnit(*this, 0);
}

void my_output_stream::write_text(std::u16string_view text) {
    write_int(static_cast<int32_t>(text.size() + 1));
    for (char16_t unit : text) WriteUnit(*this, unit);
    WriteUnit(*this, 0);
}

// --- my_input_stream -----------------------------------------------------------------------

int32_t my_input_stream::read_int() {
    uint8_t b[4];
    read(b, 4);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 |
                                static_cast<uint32_t>(b[3]) << 24);
}

float my_input_stream::read_float() {
    return std::bit_cast<float>(read_int());
}

uint8_t my_input_stream::read_byte() {
    uint8_t b = 0;
    read(&b, 1);
    return b;
}

bool my_input_stream::read_text(std::u16string& out) {
    out.clear();
    int32_t count = 0;
    if (!ReadCount(*this, count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        char16_t unit = 0;
        if (!ReadUnit(*this, unit)) {
            out.clear();
            return false;
        }
        if (i + 1 < count || unit != 0) out.push_back(unit);
    }
    return true;
}

bool my_input_stream::read_text(std::string& utf8) {
    utf8.clear();
    int32_t count = 0;
    if (!ReadCount(*this, count)) return false;
    char32_t high = 0;  // a high surrogate waiting for its low half
    for (int32_t i = 0; i < count; ++i) {
        char16_t unit = 0;
        if (!ReadUnit(*this, unit)) {
            utf8.clear();
            return false;
        }
        if (i + 1 == count && unit == 0) break;
        if (high != 0) {
            if (IsLowSurrogate(unit)) {
                AppendUtf8(utf8, 0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
                high = 0;
                continue;
            }
            AppendUtf8(utf8, kReplacement);
            high = 0;
        }
        if (IsHighSurrogate(unit)) {
            high = unit;
        } else {
            AppendUtf8(utf8, IsLowSurrogate(unit) ? kReplacement : unit);
        }
    }
    if (high != 0) AppendUtf8(utf8, kReplacement);
    return true;
}

// --- my_msg_que_output_stream --------------------------------------------------------------

my_msg_que_output_stream::my_msg_que_output_stream(lock_free_fifo& queue) : queue_(queue) {}

my_msg_que_output_stream::my_msg_que_output_stream(lock_free_fifo& queue, int32_t handle,
                                                   int32_t message_id)
    : queue_(queue) {
    write_int(handle);
    write_int(message_id);
}

my_msg_que_output_stream::~my_msg_que_output_stream() {
    finish();
}

void my_msg_que_output_stream::write(const void* bytes, int count) {
    if (dropped_ || finished_) return;
    const auto* p = static_cast<const uint8_t*>(bytes);
    for (int i = 0; i < count; ++i) {
        // A byte that still does not fit after the queue's waits drops the whole message:
        // nothing of it was published (bytes are only staged until finish), so the reader
        // never sees a partial message and both sides stay in step. The rest of the
        // message is ignored and finish() reports the loss.
        if (!queue_.StageByte(p[i])) {
            queue_.DiscardStaged();
            dropped_ = true;
            return;
        }
    }
}

bool my_msg_que_output_stream::finish() {
    if (!finished_) {
        finished_ = true;
        if (!dropped_) queue_.CommitStaged();
    }
    return !dropped_;
}

// --- my_msg_que_input_stream ---------------------------------------------------------------

my_msg_que_input_stream::my_msg_que_input_stream(lock_free_fifo& queue) : queue_(queue) {}

int my_msg_que_input_stream::read(void* bytes, int count) {
    if (count <= 0) return 0;
    std::memset(bytes, 0, static_cast<size_t>(count));  // what does not arrive reads as zero
    if (failed_) return count;
    const int missing = queue_.Read(bytes, count);
    // Messages are published whole, so running dry inside one means the receiver reads more
    // than was sent. Later reads then answer zeros at once instead of waiting again.
    if (missing > 0) failed_ = true;
    return missing;
}

}  // namespace md
