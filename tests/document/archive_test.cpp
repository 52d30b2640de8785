#include "document/archive.h"

#include <gtest/gtest.h>

#include "document/connection.h"
#include "document/container.h"
#include "document/plug.h"
#include "tests/support/archive_bytes.h"

namespace md {
namespace {

using test::ArchiveBytes;

std::string ReadText(const std::vector<uint8_t>& bytes) {
    Archive ar = Archive::ForLoading(bytes);
    std::string s;
    ar.Text(s);
    EXPECT_EQ(ar.remaining(), 0u);
    return s;
}

TEST(ArchiveText, EveryLengthPrefixForm) {
    struct Case {
        const char* name;
        ArchiveBytes bytes;
        std::string expected;
    };
    const Case cases[] = {
        {"one byte", ArchiveBytes().u8(3).raw("abc"), "abc"},
        {"0xFF then int16", ArchiveBytes().u8(0xFF).le16(5).raw("hello"), "hello"},
        {"0xFF 0xFFFF then int32", ArchiveBytes().u8(0xFF).le16(0xFFFF).le32(2).raw("hi"), "hi"},
        {"int64 length",
         ArchiveBytes().u8(0xFF).le16(0xFFFF).le32(0xFFFFFFFF).le32(4).le32(0).raw("four"), "four"},
        {"16-bit characters", ArchiveBytes().u8(0xFF).le16(0xFFFE).u8(2).le16('O').le16('k'), "Ok"},
        {"16-bit with a long prefix",
         ArchiveBytes().u8(0xFF).le16(0xFFFE).u8(0xFF).le16(1).le16(0x00E9), "\xE9"},
        {"16-bit beyond 8 bits", ArchiveBytes().u8(0xFF).le16(0xFFFE).u8(1).le16(0x263A), "?"},
        {"empty", ArchiveBytes().u8(0), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadText(c.bytes.bytes()), c.expected);
    }
}

TEST(ArchiveText, WriterPicksTheShortestPrefixAndReadsBack) {
    for (size_t n : {0u, 1u, 254u, 255u, 0xFFFDu, 0xFFFEu, 0x10000u}) {
        SCOPED_TRACE(n);
        const std::string s(n, 'x');
        Archive out = Archive::ForStoring();
        std::string copy = s;
        out.Text(copy);
        const std::vector<uint8_t> bytes = out.TakeBytes();
        const size_t prefix = n < 0xFF ? 1 : n < 0xFFFE ? 3 : 7;
        EXPECT_EQ(bytes.size(), prefix + n);
        EXPECT_EQ(ReadText(bytes), s);
    }
}

TEST(ArchiveText, MalformedLengthsAreRefused) {
    const ArchiveBytes cases[] = {
        ArchiveBytes().u8(5).raw("abc"),                        // longer than the bytes
        ArchiveBytes().u8(0xFF).le16(0x7000).raw("abc"),        // int16 length too long
        ArchiveBytes().u8(0xFF).le16(0xFFFF).le32(0x7FFFFFF0),  // int32 length too long
        ArchiveBytes().u8(0xFF).le16(0xFFFF).le32(0xFFFFFFFF).le32(0).le32(0x80000000),
        ArchiveBytes().u8(0xFF).le16(0xFFFF).le32(0xFFFFFFFF).le32(0x80000000).le32(0),
        ArchiveBytes().u8(0xFF),  // premature end
    };
    for (const ArchiveBytes& c : cases) {
        Archive ar = Archive::ForLoading(c.bytes());
        std::string s;
        EXPECT_THROW(ar.Text(s), ArchiveError);
    }
}

TEST(ArchiveCount, ShortAndLongFormsAndTheirLimit) {
    {
        const auto bytes = ArchiveBytes().le16(0xFFFF).le32(3).raw("abc").bytes();
        Archive ar = Archive::ForLoading(bytes);
        uint32_t n = 0;
        ar.Count(n, 1);
        EXPECT_EQ(n, 3u);
    }
    {
        // Three elements of two bytes can't fit in three bytes.
        const auto bytes = ArchiveBytes().le16(3).raw("abc").bytes();
        Archive ar = Archive::ForLoading(bytes);
        uint32_t n = 0;
        EXPECT_THROW(ar.Count(n, 2), ArchiveError);
    }
    {
        Archive ar = Archive::ForStoring();
        uint32_t n = 0x12345;
        ar.Count(n, 1);
        EXPECT_EQ(ar.bytes(), ArchiveBytes().le16(0xFFFF).le32(0x12345).bytes());
    }
}

// A plug record at version 95540: descriptor index, value, empty connection list.
ArchiveBytes& PlugRecord(ArchiveBytes& b, int16_t index, std::string_view value) {
    return b.le16(static_cast<uint16_t>(index)).text(value).le16(0);
}

TEST(ArchiveObjects, ClassIndexAndObjectIndexShareOneCount) {
    // Index 1: class CPlug2; 2: first plug; 3: second plug (tag 0x8001); then a reference to
    // object 2 and one to object 3.
    ArchiveBytes b;
    PlugRecord(b.new_class("CPlug2", 2), 0, "a");
    PlugRecord(b.class_ref(1), 1, "b");
    b.object_ref(2).object_ref(3);
    Archive ar = Archive::ForLoading(b.bytes());
    CPlug2* first = nullptr;
    CPlug2* second = nullptr;
    CPlug2* again_first = nullptr;
    CPlug2* again_second = nullptr;
    ar.Ref(first);
    ar.Ref(second);
    ar.Ref(again_first);
    ar.Ref(again_second);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->value(), "a");
    EXPECT_EQ(second->value(), "b");
    EXPECT_EQ(second->descriptor_index(), 1);
    EXPECT_EQ(again_first, first);
    EXPECT_EQ(again_second, second);
    EXPECT_EQ(ar.TakeLooseObjects().size(), 2u);
}

TEST(ArchiveObjects, BigTagsReferToClassesAndObjects) {
    ArchiveBytes b;
    PlugRecord(b.new_class("CPlug2", 2), 0, "a");
    PlugRecord(b.le16(0x7FFF).le32(0x80000001), 0, "b");  // new object of class 1
    b.le16(0x7FFF).le32(3);                               // object 3
    Archive ar = Archive::ForLoading(b.bytes());
    CPlug2* p[3] = {};
    for (CPlug2*& x : p) ar.Ref(x);
    EXPECT_EQ(p[1]->value(), "b");
    EXPECT_EQ(p[2], p[1]);
}

TEST(ArchiveObjects, SchemaRules) {
    // CPlug2 and CContainer accept any schema; others need schema 1.
    {
        ArchiveBytes b;
        PlugRecord(b.new_class("CPlug2", 7), 0, "");
        Archive ar = Archive::ForLoading(b.bytes());
        CPlug2* p = nullptr;
        EXPECT_NO_THROW(ar.Ref(p));
    }
    {
        ArchiveBytes b;
        PlugRecord(b.new_class("CPlugGui", 2), 0, "");
        Archive ar = Archive::ForLoading(b.bytes());
        CPlug2* p = nullptr;
        EXPECT_THROW(ar.Ref(p), ArchiveError);
    }
}

TEST(ArchiveObjects, MalformedReferencesAreRefused) {
    struct Case {
        const char* name;
        ArchiveBytes bytes;
    };
    ArchiveBytes plug;
    PlugRecord(plug.new_class("CPlug2", 2), 0, "");
    const Case cases[] = {
        {"unknown class", ArchiveBytes().new_class("CNoSuchThing")},
        {"class name too long",
         ArchiveBytes().le16(0xFFFF).le16(1).le16(64).raw(std::string(64, 'C'))},
        {"object not read", ArchiveBytes().object_ref(5)},
        {"class not read", ArchiveBytes().class_ref(3)},
        {"class index naming an object", ArchiveBytes(plug).class_ref(2)},
        {"object index naming a class", ArchiveBytes(plug).object_ref(1)},
        {"wrong base class", ArchiveBytes().new_class("CLine2").text("").null().null()},
        {"premature end", ArchiveBytes().new_class("CPlug2", 2).le16(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Archive ar = Archive::ForLoading(c.bytes.bytes());
        CPlug2* p = nullptr;
        try {
            ar.Ref(p);  // the first case of two plugs reads the first one fine
            ar.Ref(p);
            ADD_FAILURE() << "accepted";
        } catch (const ArchiveError&) {
        }
    }
}

TEST(ArchiveObjects, AnObjectCannotOwnItselfOrBeOwnedTwice) {
    // A container whose child list names the container itself.
    ArchiveBytes self;
    self.new_class("CContainer", 95).text("Container").le16(0).text("t").le16(0).rect(0, 0, 0, 0);
    self.null().object_ref(2);
    Archive a = Archive::ForLoading(self.bytes());
    a.set_v(95540);
    std::unique_ptr<CContainer> root;
    EXPECT_THROW(a.Owned(root), ArchiveError);

    // One plug listed by two modules.
    ArchiveBytes twice;
    twice.new_class("CUG").text("").le16(1);
    PlugRecord(twice.new_class("CPlug2", 2), 0, "");
    twice.text("m1").le16(0).rect(0, 0, 0, 0);
    twice.class_ref(1).text("").le16(1).object_ref(4).text("m2").le16(0).rect(0, 0, 0, 0);
    Archive b = Archive::ForLoading(twice.bytes());
    std::unique_ptr<CUG> m1, m2;
    b.Owned(m1);
    EXPECT_THROW(b.Owned(m2), ArchiveError);
}

TEST(ArchiveObjects, NestingTooDeepIsRefusedWithoutCrashing) {
    // Containers each holding the next one as their first child, far deeper than any patch.
    ArchiveBytes b;
    b.new_class("CContainer", 95);
    for (int i = 0; i < 100000; ++i) {
        if (i > 0) b.class_ref(1);
        b.text("").le16(0).text("").le16(0).rect(0, 0, 0, 0).null();
    }
    Archive ar = Archive::ForLoading(b.bytes());
    std::unique_ptr<CContainer> root;
    EXPECT_THROW(ar.Owned(root), ArchiveError);
}

TEST(ArchiveObjects, StoringWritesClassOnceThenIndices) {
    CPlug2 a(0, "a");
    CPlug2 b(1, "b");
    Archive ar = Archive::ForStoring();
    ar.StoreObject(&a);
    ar.StoreObject(&b);
    ar.StoreObject(&a);
    ar.StoreObject(nullptr);
    ArchiveBytes expected;
    PlugRecord(expected.new_class("CPlug2", 2), 0, "a");
    PlugRecord(expected.class_ref(1), 1, "b");
    expected.object_ref(2).null();
    EXPECT_EQ(ar.bytes(), expected.bytes());
}

}  // namespace
}  // namespace md
