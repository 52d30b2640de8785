// Archive bytes written out by hand in tests: little-endian integers, texts with their short
// length prefix, and object tags.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace md::test {

class ArchiveBytes {
public:
    ArchiveBytes& u8(uint8_t x) {
        bytes_.push_back(x);
        return *this;
    }
    ArchiveBytes& le16(uint16_t x) { return u8(x & 0xFF).u8(x >> 8); }
    ArchiveBytes& le32(uint32_t x) { return le16(x & 0xFFFF).le16(x >> 16); }
    ArchiveBytes& raw(std::string_view s) {
        for (char c : s) u8(static_cast<uint8_t>(c));
        return *this;
    }
    // A text shorter than 255 characters: one length byte, then the characters.
    ArchiveBytes& text(std::string_view s) { return u8(static_cast<uint8_t>(s.size())).raw(s); }
    ArchiveBytes& rect(int32_t l, int32_t t, int32_t r, int32_t b) {
        return le32(l).le32(t).le32(r).le32(b);
    }
    // The tag of an object of a class not seen before: 0xFFFF, schema, name length, name.
    ArchiveBytes& new_class(std::string_view name, uint16_t schema = 1) {
        return le16(0xFFFF).le16(schema).le16(static_cast<uint16_t>(name.size())).raw(name);
    }
    // A new object of the class with index n.
    ArchiveBytes& class_ref(uint16_t n) { return le16(static_cast<uint16_t>(0x8000 | n)); }
    // The object with index n, read before.
    ArchiveBytes& object_ref(uint16_t n) { return le16(n); }
    ArchiveBytes& null() { return le16(0); }
    ArchiveBytes& append(const std::vector<uint8_t>& more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    size_t size() const { return bytes_.size(); }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace md::test
