#include "gui/skin_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/archive_bytes.h"
#include "tests/support/record_io.h"

namespace md {
namespace {

using test::ArchiveBytes;
using test::Bytes;
using test::ExpectRefused;
using test::LoadInto;
using test::Store;

const Bytes kPng = {0x89, 'P', 'N', 'G', 1, 2, 3};

// A bitmap record 2 wide and 3 high named "knob", with a pixel mode (after 95162); after 94960
// it holds `png`, before it `pixels` and the extra number 99.
Bytes BitmapRecord(int32_t v, const Bytes& png, const std::vector<uint32_t>& pixels = {},
                   int32_t pixel_mode = 4) {
    ArchiveBytes b;
    b.le32(3).le32(2).text("knob");
    if (v > 95162) b.le32(static_cast<uint32_t>(pixel_mode));
    if (v > 94960) {
        b.le32(static_cast<uint32_t>(png.size())).append(png);
    } else {
        b.le32(static_cast<uint32_t>(pixels.size())).le32(99);
        for (uint32_t p : pixels) b.le32(p);
    }
    return b.bytes();
}

TEST(SkinBitmapRecord, PixelModeAndImageFormByVersion) {
    const std::vector<uint32_t> pixels = {1, 2, 3, 4, 5, 6};
    for (int32_t v : {94960, 94961, 95162, 95163, kArchiveVersion}) {
        SCOPED_TRACE(v);
        CSkinBitmap bitmap;
        LoadInto(bitmap, BitmapRecord(v, kPng, pixels), v);
        EXPECT_EQ(bitmap.height, 3);
        EXPECT_EQ(bitmap.width, 2);
        EXPECT_EQ(bitmap.name, "knob");
        EXPECT_EQ(bitmap.pixel_mode, v > 95162 ? 4 : 0);
        EXPECT_EQ(bitmap.png_data, v > 94960 ? kPng : Bytes());
        EXPECT_EQ(bitmap.raw_pixels, v > 94960 ? std::vector<uint32_t>() : pixels);
        EXPECT_EQ(bitmap.raw_extra, v > 94960 ? 0 : 99);
        if (v > 94960) {
            EXPECT_EQ(Store(bitmap), BitmapRecord(kArchiveVersion, kPng, {}, v > 95162 ? 4 : 0));
        }
    }
}

TEST(SkinBitmapRecord, RawPixelsAreWrittenAsAnUncompressedPng) {
    // 2 × 2: TT is the transparency, written as alpha 255 - TT.
    const std::vector<uint32_t> pixels = {0x00FF0000, 0x8000FF00, 0xFF0000FF, 0x00123456};
    ArchiveBytes b;
    b.le32(2).le32(2).text("raw").le32(4).le32(0);
    for (uint32_t p : pixels) b.le32(p);
    CSkinBitmap bitmap;
    LoadInto(bitmap, b.bytes(), 94960);
    ASSERT_EQ(bitmap.raw_pixels, pixels);

    // The PNG as an independent zlib writes it at level 0.
    const Bytes expected_png = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
        0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x72,
        0xb6, 0x0d, 0x24, 0x00, 0x00, 0x00, 0x1d, 0x49, 0x44, 0x41, 0x54, 0x78, 0x01, 0x01, 0x12,
        0x00, 0xed, 0xff, 0x00, 0xff, 0x00, 0x00, 0xff, 0x00, 0xff, 0x00, 0x7f, 0x00, 0x00, 0x00,
        0xff, 0x00, 0x12, 0x34, 0x56, 0xff, 0x38, 0x66, 0x06, 0x17, 0xa8, 0xbc, 0x47, 0x71, 0x00,
        0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    EXPECT_EQ(bitmap.PngForWriting(), expected_png);

    const Bytes written = Store(bitmap);
    const Bytes expected = ArchiveBytes()
                               .le32(2)
                               .le32(2)
                               .text("raw")
                               .le32(0)
                               .le32(static_cast<uint32_t>(expected_png.size()))
                               .append(expected_png)
                               .bytes();
    EXPECT_EQ(written, expected);
    CSkinBitmap again;
    LoadInto(again, written, kArchiveVersion);
    EXPECT_EQ(again.png_data, expected_png);
    EXPECT_EQ(Store(again), written);
}

// The image rows inside an uncompressed PNG: the IDAT data's stored deflate blocks joined.
Bytes StoredRows(const Bytes& png) {
    size_t pos = 8;
    Bytes z;
    while (pos + 8 <= png.size()) {
        const uint32_t n = (uint32_t{png[pos]} << 24) | (uint32_t{png[pos + 1]} << 16) |
                           (uint32_t{png[pos + 2]} << 8) | png[pos + 3];
        const std::string type(png.begin() + static_cast<ptrdiff_t>(pos + 4),
                               png.begin() + static_cast<ptrdiff_t>(pos + 8));
        if (type == "IDAT") {
            z.insert(z.end(), png.begin() + static_cast<ptrdiff_t>(pos + 8),
                     png.begin() + static_cast<ptrdiff_t>(pos + 8 + n));
        }
        pos += 12 + n;
    }
    Bytes rows;
    size_t i = 2;  // zlib header
    for (bool last = false; !last && i + 5 <= z.size();) {
        last = z[i] & 1;
        const size_t len = z[i + 1] | (z[i + 2] << 8);
        EXPECT_EQ(len ^ (z[i + 3] | (z[i + 4] << 8)), 0xFFFFu);
        rows.insert(rows.end(), z.begin() + static_cast<ptrdiff_t>(i + 5),
                    z.begin() + static_cast<ptrdiff_t>(i + 5 + len));
        i += 5 + len;
    }
    EXPECT_EQ(i + 4, z.size()) << "the Adler-32 sum ends the stream";
    return rows;
}

TEST(SkinBitmapRecord, LargeRawBitmapsSpanSeveralDeflateBlocks) {
    CSkinBitmap bitmap;
    bitmap.width = 200;
    bitmap.height = 100;
    for (uint32_t i = 0; i < 200 * 100; ++i) bitmap.raw_pixels.push_back(i);
    const Bytes rows = StoredRows(bitmap.PngForWriting());
    ASSERT_EQ(rows.size(), 100u * (1 + 800));
    // Row 99, pixel 150: 99 * 200 + 150 = 19950 = 0x004DEE, alpha 255.
    const size_t at = 99 * 801 + 1 + 150 * 4;
    EXPECT_EQ(rows[99 * 801], 0) << "no filter";
    EXPECT_EQ(Bytes(rows.begin() + at, rows.begin() + at + 4), (Bytes{0x00, 0x4D, 0xEE, 0xFF}));

    // Pixels that don't fill width × height give no image.
    bitmap.raw_pixels.pop_back();
    EXPECT_TRUE(bitmap.PngForWriting().empty());
}

TEST(SkinBitmapRecord, MalformedSizesAreRefused) {
    const struct {
        const char* name;
        Bytes bytes;
        int32_t v;
    } cases[] = {
        {"negative PNG size",
         ArchiveBytes().le32(1).le32(1).text("").le32(0).le32(0xFFFFFFFF).bytes(), kArchiveVersion},
        {"PNG beyond the bytes",
         ArchiveBytes().le32(1).le32(1).text("").le32(0).le32(10).raw("abc").bytes(),
         kArchiveVersion},
        {"negative pixel count",
         ArchiveBytes().le32(1).le32(1).text("").le32(0xFFFFFFFF).le32(0).bytes(), 94960},
        {"pixels beyond the bytes",
         ArchiveBytes().le32(1).le32(1).text("").le32(0x40000001).le32(0).le32(7).bytes(), 94960},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectRefused<CSkinBitmap>(c.bytes, c.v);
    }
}

// The animation fields after the bitmap record; the padding from 95061 on.
Bytes AnimRecord(int32_t v) {
    ArchiveBytes b;
    b.append(BitmapRecord(v, kPng));
    b.le32(8).le32(1).le32(100).le32(0).rect(1, 2, 3, 4).le32(32).le32(16).le32(7).le32(2);
    if (v >= 95061) b.le32(5).le32(6).le32(7).le32(8);
    return b.bytes();
}

TEST(AnimBitmapRecord, PaddingFrom95061) {
    for (int32_t v : {95060, 95061}) {
        SCOPED_TRACE(v);
        CAnimBitmap anim;
        LoadInto(anim, AnimRecord(v), v);
        EXPECT_EQ(anim.png_data, kPng);
        EXPECT_EQ(anim.segment_count, 8);
        EXPECT_EQ(anim.mode, 1);
        EXPECT_EQ(anim.range_end, 100);
        EXPECT_EQ(anim.range_start, 0);
        EXPECT_EQ(anim.handle_rect, (Rect{1, 2, 3, 4}));
        EXPECT_EQ(anim.frame_width, 32);
        EXPECT_EQ(anim.frame_height, 16);
        EXPECT_EQ(anim.last_frame, 7);
        EXPECT_EQ(anim.type, 2);
        const bool padded = v >= 95061;
        EXPECT_EQ(anim.padding_left, padded ? 5 : 0);
        EXPECT_EQ(anim.padding_right, padded ? 6 : 0);
        EXPECT_EQ(anim.padding_top, padded ? 7 : 0);
        EXPECT_EQ(anim.padding_bottom, padded ? 8 : 0);
        EXPECT_EQ(Store(anim, v), AnimRecord(v));
    }
}

Bytes FontRecord(int32_t v, const std::string& name) {
    ArchiveBytes b;
    b.text(name).text("Arial").le32(12).le32(0xFF0000);
    if (v > 95129) b.le32(0x00FF00).le32(3);
    return b.bytes();
}

TEST(SkinFontRecord, BackgroundAndFlagsAfter95129) {
    for (int32_t v : {95129, 95130}) {
        SCOPED_TRACE(v);
        SkinFontInfo font;
        LoadInto(font, FontRecord(v, "label"), v);
        EXPECT_EQ(font.name, "label");
        EXPECT_EQ(font.family, "Arial");
        EXPECT_EQ(font.size, 12);
        EXPECT_EQ(font.colour, 0xFF0000);
        EXPECT_EQ(font.background_colour, v > 95129 ? 0x00FF00 : 0);
        EXPECT_EQ(font.flags, v > 95129 ? 3 : 0);
        EXPECT_EQ(Store(font, v), FontRecord(v, "label"));
    }
}

TEST(SkinInfoRecord, BitmapsUntilNullThenCountedFonts) {
    // A plain and an animated bitmap (objects 2 and 4), then two fonts.
    const Bytes bytes = ArchiveBytes()
                            .text("dark")
                            .new_class("CSkinBitmap")
                            .append(BitmapRecord(kArchiveVersion, kPng))
                            .new_class("CAnimBitmap")
                            .append(AnimRecord(kArchiveVersion))
                            .null()
                            .le16(2)
                            .new_class("SkinFontInfo")
                            .append(FontRecord(kArchiveVersion, "title"))
                            .class_ref(5)
                            .append(FontRecord(kArchiveVersion, "label"))
                            .bytes();
    SkinInfo skin;
    LoadInto(skin, bytes, kArchiveVersion);
    EXPECT_EQ(skin.name(), "dark");
    ASSERT_EQ(skin.bitmaps().size(), 2u);
    EXPECT_FALSE(skin.bitmaps()[0]->IsKindOf(CAnimBitmap::kClass));
    auto* anim = dynamic_cast<const CAnimBitmap*>(skin.bitmaps()[1].get());
    ASSERT_NE(anim, nullptr);
    EXPECT_EQ(anim->frame_width, 32);
    ASSERT_EQ(skin.fonts().size(), 2u);
    EXPECT_EQ(skin.fonts()[1]->name, "label");
    EXPECT_EQ(Store(skin), bytes);

    // A font among the bitmaps, and a null font.
    ExpectRefused<SkinInfo>(ArchiveBytes()
                                .text("x")
                                .new_class("SkinFontInfo")
                                .append(FontRecord(kArchiveVersion, "f"))
                                .null()
                                .le16(0)
                                .bytes(),
                            kArchiveVersion);
    ExpectRefused<SkinInfo>(ArchiveBytes().text("x").null().le16(1).null().bytes(),
                            kArchiveVersion);
}

}  // namespace
}  // namespace md
