#include "gui/skin_records.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>

namespace md {

MD_DEFINE_SERIAL_CLASS(CSkinBitmap, 1, false, ArchObject);
MD_DEFINE_SERIAL_CLASS(CAnimBitmap, 1, false, CSkinBitmap);
MD_DEFINE_SERIAL_CLASS(SkinFontInfo, 1, false, ArchObject);
MD_DEFINE_SERIAL_CLASS(SkinInfo, 1, false, ArchObject);

namespace {

// ---- a minimal PNG writer: 8-bit RGBA, no filtering, deflate without compression ----

uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void PutBigEndian32(std::vector<uint8_t>& out, uint32_t x) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(x >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::vector<uint8_t>& data) {
    PutBigEndian32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian32(out, Crc32(out.data() + start, out.size() - start));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<uint8_t> ZlibStored(const std::vector<uint8_t>& data) {
    constexpr size_t kMaxBlock = 0xFFFF;
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min(kMaxBlock, data.size() - pos);
        const bool last = pos + n == data.size();
        z.push_back(last ? 1 : 0);
        const uint16_t len = static_cast<uint16_t>(n);
        const uint16_t nlen = static_cast<uint16_t>(~len);
        z.push_back(static_cast<uint8_t>(len));
        z.push_back(static_cast<uint8_t>(len >> 8));
        z.push_back(static_cast<uint8_t>(nlen));
        z.push_back(static_cast<uint8_t>(nlen >> 8));
        z.insert(z.end(), data.begin() + static_cast<ptrdiff_t>(pos),
                 data.begin() + static_cast<ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < data.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian32(z, (b << 16) | a);
    return z;
}

std::vector<uint8_t> EncodePng(uint32_t width, uint32_t height,
                               const std::vector<uint32_t>& pixels) {
    std::vector<uint8_t> rows;
    rows.reserve(static_cast<size_t>(height) * (1 + 4 * static_cast<size_t>(width)));
    for (uint32_t y = 0; y < height; ++y) {
        rows.push_back(0);  // filter: none
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t p = pixels[static_cast<size_t>(y) * width + x];
            rows.push_back(static_cast<uint8_t>(p >> 16));
            rows.push_back(static_cast<uint8_t>(p >> 8));
            rows.push_back(static_cast<uint8_t>(p));
            rows.push_back(static_cast<uint8_t>(255 - (p >> 24)));
        }
    }
    std::vector<uint8_t> header;
    PutBigEndian32(header, width);
    PutBigEndian32(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter, no interlace

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", ZlibStored(rows));
    PutChunk(png, "IEND", {});
    return png;
}

void CheckCount(const Archive& ar, int32_t n, uint64_t element_bytes, const char* what) {
    if (n < 0 || static_cast<uint64_t>(n) * element_bytes > ar.remaining()) {
        throw ArchiveError(std::string("skin bitmap: ") + what + " out of range");
    }
}

}  // namespace

std::vector<uint8_t> CSkinBitmap::PngForWriting() const {
    if (!png_data.empty() || raw_pixels.empty()) return png_data;
    if (width <= 0 || height <= 0 ||
        raw_pixels.size() != static_cast<uint64_t>(width) * static_cast<uint64_t>(height)) {
        return {};
    }
    return EncodePng(static_cast<uint32_t>(width), static_cast<uint32_t>(height), raw_pixels);
}

void CSkinBitmap::Serialize(Archive& ar) {
    const int32_t v = ar.v();
    ar.Int32(height);
    ar.Int32(width);
    ar.Text(name);
    if (v > 95162) ar.Int32(pixel_mode);
    if (v > 94960) {
        if (ar.IsStoring()) {
            std::vector<uint8_t> png = PngForWriting();
            int32_t n = static_cast<int32_t>(png.size());
            ar.Int32(n);
            ar.Bytes(png, static_cast<uint32_t>(n));
            return;
        }
        int32_t n = 0;
        ar.Int32(n);
        CheckCount(ar, n, 1, "PNG size");
        ar.Bytes(png_data, static_cast<uint32_t>(n));
        raw_pixels.clear();
        return;
    }
    int32_t count = static_cast<int32_t>(raw_pixels.size());
    ar.Int32(count);
    ar.Int32(raw_extra);
    if (ar.IsLoading()) {
        CheckCount(ar, count, 4, "pixel count");
        raw_pixels.assign(static_cast<size_t>(count), 0);
        png_data.clear();
    }
    for (uint32_t& p : raw_pixels) ar.UInt32(p);
}

void CAnimBitmap::Serialize(Archive& ar) {
    CSkinBitmap::Serialize(ar);
    ar.Int32(segment_count);
    ar.Int32(mode);
    ar.Int32(range_end);
    ar.Int32(range_start);
    ar.RectValue(handle_rect);
    ar.Int32(frame_width);
    ar.Int32(frame_height);
    ar.Int32(last_frame);
    ar.Int32(type);
    if (ar.v() >= 95061) {
        ar.Int32(padding_left);
        ar.Int32(padding_right);
        ar.Int32(padding_top);
        ar.Int32(padding_bottom);
    }
}

void SkinFontInfo::Serialize(Archive& ar) {
    ar.Text(name);
    ar.Text(family);
    ar.Int32(size);
    ar.Int32(colour);
    if (ar.v() > 95129) {
        ar.Int32(background_colour);
        ar.Int32(flags);
    }
}

SkinInfo::SkinInfo() = default;
SkinInfo::~SkinInfo() = default;

void SkinInfo::AddBitmap(std::unique_ptr<CSkinBitmap> bitmap) {
    if (bitmap) bitmaps_.push_back(std::move(bitmap));
}

void SkinInfo::AddFont(std::unique_ptr<SkinFontInfo> font) {
    if (font) fonts_.push_back(std::move(font));
}

void SkinInfo::Serialize(Archive& ar) {
    ar.Text(name_);
    if (ar.IsStoring()) {
        for (const auto& b : bitmaps_) ar.StoreObject(b.get());
        ar.StoreObject(nullptr);
    } else {
        bitmaps_.clear();
        while (std::unique_ptr<ArchObject> o = ar.LoadOwned(CSkinBitmap::kClass)) {
            bitmaps_.emplace_back(static_cast<CSkinBitmap*>(o.release()));
        }
    }
    ar.OwnedList(fonts_);
    if (ar.IsLoading()) {
        for (const auto& f : fonts_) {
            if (!f) throw ArchiveError("null font in a skin");
        }
    }
}

}  // namespace md
