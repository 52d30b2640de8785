// The skin records of a patch: the skin's name, its bitmaps (plain and animated) and its fonts.
//
// Bitmaps keep their image as stored: PNG data, or, in files up to version 94960, raw pixels
// (0xTTRRGGBB, TT the transparency). Decoding comes later. The writer always writes the PNG
// form; raw pixels are encoded as an uncompressed RGBA PNG (alpha = 255 - TT) for that, so a
// bitmap read from raw pixels comes back as PNG data of the same image.
//
// Document side; user-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/archive.h"

namespace md {

class CSkinBitmap : public ArchObject {
    MD_SERIAL_CLASS()

public:
    int32_t height = 0;
    int32_t width = 0;
    std::string name;
    int32_t pixel_mode = 0;
    std::vector<uint8_t> png_data;
    // Raw form only: the pixels, row by row from the top, and the number stored after the
    // pixel count.
    std::vector<uint32_t> raw_pixels;
    int32_t raw_extra = 0;

    // The PNG the writer writes: png_data, else the raw pixels encoded (empty when there are
    // none, or when their number isn't width × height).
    std::vector<uint8_t> PngForWriting() const;

    void Serialize(Archive& ar) override;
};

class CAnimBitmap : public CSkinBitmap {
    MD_SERIAL_CLASS()

public:
    int32_t segment_count = 0;
    int32_t mode = 0;
    int32_t range_end = 0;
    int32_t range_start = 0;
    Rect handle_rect;
    int32_t frame_width = 0;
    int32_t frame_height = 0;
    int32_t last_frame = 0;
    int32_t type = 0;
    int32_t padding_left = 0;
    int32_t padding_right = 0;
    int32_t padding_top = 0;
    int32_t padding_bottom = 0;

    void Serialize(Archive& ar) override;
};

class SkinFontInfo : public ArchObject {
    MD_SERIAL_CLASS()

public:
    std::string name;
    std::string family;
    int32_t size = 0;
    int32_t colour = 0;
    int32_t background_colour = 0;
    int32_t flags = 0;

    void Serialize(Archive& ar) override;
};

// Stored untagged in the patch header; owns its bitmaps and fonts.
class SkinInfo : public ArchObject {
    MD_SERIAL_CLASS()

public:
    SkinInfo();
    ~SkinInfo() override;

    const std::string& name() const { return name_; }
    void set_name(std::string name) { name_ = std::move(name); }
    const std::vector<std::unique_ptr<CSkinBitmap>>& bitmaps() const { return bitmaps_; }
    const std::vector<std::unique_ptr<SkinFontInfo>>& fonts() const { return fonts_; }
    // Null is ignored.
    void AddBitmap(std::unique_ptr<CSkinBitmap> bitmap);
    void AddFont(std::unique_ptr<SkinFontInfo> font);

    void Serialize(Archive& ar) override;

private:
    std::string name_;
    std::vector<std::unique_ptr<CSkinBitmap>> bitmaps_;  // never null
    std::vector<std::unique_ptr<SkinFontInfo>> fonts_;   // never null
};

}  // namespace md
