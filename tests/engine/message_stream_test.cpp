#include "engine/message_stream.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "engine/lock_free_fifo.h"
#include "support/allocation_counter.h"

namespace md {
namespace {

using std::chrono::milliseconds;

constexpr fifo_waits kShortWaits{2, milliseconds{1}, 2, milliseconds{1}};

// Everything readable in the queue, consumed.
std::vector<uint8_t> Drain(lock_free_fifo& q) {
    std::vector<uint8_t> bytes(static_cast<size_t>(q.ReadableBytes()));
    EXPECT_EQ(q.Read(bytes.data(), static_cast<int>(bytes.size())), 0);
    return bytes;
}

TEST(MessageStreamIds, PackFirstCharacterHighest) {
    struct Case {
        int32_t packed;
        uint32_t expected;
    };
    const Case cases[] = {
        {msg_id("ppc"), 0x70706300u},
        {msg_id("CCID"), 0x43434944u},
        {msg_id("sdk"), 0x73646B00u},
        {msg_id("a"), 0x61000000u},
        {msg_id("\xff\x01\x02\x03"), 0xFF010203u},
    };
    for (const Case& c : cases) EXPECT_EQ(static_cast<uint32_t>(c.packed), c.expected);
}

TEST(MessageStreamFraming, HeaderIsHandleThenIdLittleEndian) {
    lock_free_fifo q(64);
    my_msg_que_output_stream out(q, 0x01020304, msg_id("ppc"));
    EXPECT_TRUE(q.IsEmpty()) << "nothing is visible before the message is finished";
    ASSERT_TRUE(out.finish());
    EXPECT_EQ(Drain(q), (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01, 0x00, 0x63, 0x70, 0x70}));
}

TEST(MessageStreamFraming, PayloadFieldsHaveTheirWireLayout) {
    lock_free_fifo q(64);
    {
        my_msg_que_output_stream out(q);
        out.write_int(-2);
        out.write_float(1.0f);
        out.write_byte(0x9A);
        out.write_text("abc");  // three characters: count 4, then 8 bytes of UTF-16
        out.write_text(std::u16string_view(u"\u20AC"));
    }  // the destructor finishes the message
    EXPECT_EQ(Drain(q), (std::vector<uint8_t>{
                            0xFE, 0xFF, 0xFF, 0xFF,                          // -2
                            0x00, 0x00, 0x80, 0x3F,                          // 1.0f
                            0x9A,                                            // byte
                            0x04, 0x00, 0x00, 0x00,                          // count
                            0x61, 0x00, 0x62, 0x00, 0x63, 0x00, 0x00, 0x00,  // "abc\0"
                            0x02, 0x00, 0x00, 0x00, 0xAC, 0x20, 0x00, 0x00,  // euro sign
                        }));
}

TEST(MessageStreamText, RoundTripsThroughTheQueue) {
    struct Case {
        const char* name;
        std::string utf8;
        int32_t units;     // count on the wire, terminating zero included
        std::string back;  // as read back into UTF-8
    };
    const Case cases[] = {
        {"empty", "", 1, ""},
        {"ascii", "Cutoff", 7, "Cutoff"},
        {"two-byte",
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         6,
         "Gr\xC3\xBC\xC3\x9F"
         "e"},
        {"three-byte",
         "\xE2\x82\xAC"
         "5",
         3,
         "\xE2\x82\xAC"
         "5"},
        {"surrogate pair", "\xF0\x9D\x84\x9E!", 4, "\xF0\x9D\x84\x9E!"},
        {"embedded zero", std::string("a\0b", 3), 4, std::string("a\0b", 3)},
        {"truncated sequence", "x\xC3", 3, "x\xEF\xBF\xBD"},
        {"overlong", "\xC0\xAF", 2, "\xEF\xBF\xBD"},
        {"encoded surrogate", "\xED\xA0\x80", 2, "\xEF\xBF\xBD"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lock_free_fifo q(256, kShortWaits);
        my_msg_que_output_stream out(q);
        out.write_text(c.utf8);
        out.write_text(c.utf8);
        out.write_int(77);  // the field after the texts must still line up
        ASSERT_TRUE(out.finish());

        EXPECT_EQ(q.ReadableBytes(), 2 * (4 + 2 * c.units) + 4);
        my_msg_que_input_stream in(q);
        std::string utf8 = "stale";
        EXPECT_TRUE(in.read_text(utf8));
        EXPECT_EQ(utf8, c.back);
        std::u16string utf16 = u"stale";
        EXPECT_TRUE(in.read_text(utf16));
        EXPECT_EQ(static_cast<int32_t>(utf16.size()), c.units - 1);
        EXPECT_EQ(in.read_int(), 77);
        EXPECT_FALSE(in.failed());
    }
}

TEST(MessageStreamText, MalformedUtf16BecomesReplacementCharacters) {
    struct Case {
        const char* name;
        std::u16string units;
        std::string back;
    };
    const Case cases[] = {
        {"lone high", std::u16string{0xD834, u'a'},
         "\xEF\xBF\xBD"
         "a"},
        {"lone low", std::u16string{0xDD1E}, "\xEF\xBF\xBD"},
        {"high at end", std::u16string{u'a', 0xD834}, "a\xEF\xBF\xBD"},
        {"two highs", std::u16string{0xD834, 0xD834, 0xDD1E}, "\xEF\xBF\xBD\xF0\x9D\x84\x9E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        lock_free_fifo q(64, kShortWaits);
        my_msg_que_output_stream out(q);
        out.write_text(std::u16string_view(c.units));
        ASSERT_TRUE(out.finish());
        my_msg_que_input_stream in(q);
        std::string utf8;
        EXPECT_TRUE(in.read_text(utf8));
        EXPECT_EQ(utf8, c.back);
    }
}

// A text whose count promises more units than arrive, or a negative count, reads as empty
// and fails instead of inventing characters.
TEST(MessageStreamText, ShortOrNegativeCountFails) {
    for (int32_t count : {5, -1}) {
        SCOPED_TRACE(count);
        lock_free_fifo q(64, kShortWaits);
        my_msg_que_output_stream out(q);
        out.write_int(count);
        for (int b : {0x61, 0, 0x62, 0}) out.write_byte(static_cast<uint8_t>(b));  // two units only
        ASSERT_TRUE(out.finish());
        my_msg_que_input_stream in(q);
        std::u16string text = u"stale";
        EXPECT_FALSE(in.read_text(text));
        EXPECT_TRUE(text.empty());
    }
}

// Reading past the end of a message: the missing bytes read as zero, the stream reports it,
// and it does not wait again for later fields.
TEST(MessageStreamInput, ReadingPastTheMessageGivesZerosAndFails) {
    lock_free_fifo q(64, fifo_waits{0, milliseconds{0}, 40, milliseconds{5}});
    {
        my_msg_que_output_stream out(q);
        out.write_int(5);
        out.write_byte(9);
    }
    my_msg_que_input_stream in(q);
    EXPECT_EQ(in.read_int(), 5);
    EXPECT_EQ(in.read_int(), 9) << "one byte arrived, three are zero";
    EXPECT_TRUE(in.failed());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(in.read_float(), 0.0f);
    std::u16string text;
    EXPECT_FALSE(in.read_text(text));
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds{150});  // one wait: 200 ms

    in.clear();
    { my_msg_que_output_stream(q).write_int(42); }
    EXPECT_EQ(in.read_int(), 42);
    EXPECT_FALSE(in.failed());
}

// A message that does not fit is dropped whole; what was queued before and what is queued
// after it arrive intact, so writer and reader stay in step.
TEST(MessageStreamFull, MessageThatDoesNotFitIsDroppedWhole) {
    lock_free_fifo q(16, kShortWaits);
    my_msg_que_output_stream first(q, 1, msg_id("ppc"));
    first.write_int(100);
    ASSERT_TRUE(first.finish());  // 12 of 15 bytes used

    my_msg_que_output_stream second(q, 2, msg_id("meta"));
    EXPECT_FALSE(second.ok());
    second.write_int(200);  // ignored after the drop
    EXPECT_FALSE(second.finish());
    EXPECT_EQ(q.ReadableBytes(), 12);

    my_msg_que_input_stream in(q);
    EXPECT_EQ(in.read_int(), 1);
    EXPECT_EQ(in.read_int(), msg_id("ppc"));
    EXPECT_EQ(in.read_int(), 100);
    EXPECT_TRUE(q.IsEmpty());

    my_msg_que_output_stream third(q, 3, msg_id("init"));
    third.write_int(300);
    ASSERT_TRUE(third.finish());
    EXPECT_EQ(in.read_int(), 3);
    EXPECT_EQ(in.read_int(), msg_id("init"));
    EXPECT_EQ(in.read_int(), 300);
    EXPECT_FALSE(in.failed());
}

TEST(MessageStreamFull, MessageLargerThanTheQueueIsDroppedWithoutWaiting) {
    lock_free_fifo q(16);  // default waits
    const auto start = std::chrono::steady_clock::now();
    my_msg_que_output_stream out(q, 1, msg_id("sdk"));
    for (int i = 0; i < 4; ++i) out.write_int(i);
    EXPECT_FALSE(out.finish());
    EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds{250});
    EXPECT_TRUE(q.IsEmpty());
}

TEST(MessageStreamFull, WriterWaitsWhileTheReaderMakesRoom) {
    lock_free_fifo q(16);  // default waits: up to 500 ms per byte
    my_msg_que_output_stream first(q, 1, msg_id("ppc"));
    first.write_int(100);
    ASSERT_TRUE(first.finish());

    std::vector<int32_t> got;
    std::thread reader([&] {
        std::this_thread::sleep_for(milliseconds{30});
        my_msg_que_input_stream in(q);
        for (int i = 0; i < 6; ++i) {
            while (q.IsEmpty()) std::this_thread::yield();
            got.push_back(in.read_int());
        }
    });
    my_msg_que_output_stream second(q, 2, msg_id("lern"));
    second.write_int(200);
    EXPECT_TRUE(second.finish());
    reader.join();
    EXPECT_EQ(got, (std::vector<int32_t>{1, msg_id("ppc"), 100, 2, msg_id("lern"), 200}));
}

TEST(MessageStreamOutput, WritingAMessageAllocatesNothing) {
    lock_free_fifo q(256);
    test::AllocationCounter counter;
    my_msg_que_output_stream out(q, 7, msg_id("meta"));
    out.write_int(1);
    out.write_float(0.5f);
    out.write_byte(2);
    out.write_text(
        "Resonance \xE2\x82\xAC \xF0\x9D\x84\x9E and a text too long for any small-string buffer");
    out.write_text(std::u16string_view(u"Level"));
    EXPECT_TRUE(out.finish());
    my_msg_que_input_stream in(q);
    EXPECT_EQ(in.read_int(), 7);
    EXPECT_EQ(in.read_int(), msg_id("meta"));
    EXPECT_EQ(in.read_int(), 1);
    EXPECT_EQ(in.read_float(), 0.5f);
    EXPECT_EQ(in.read_byte(), 2);
    EXPECT_EQ(counter.count(), 0u);
}

// One writer thread and one reader thread exchange messages of mixed kinds and sizes
// through a small queue that wraps and fills often; every message arrives once, in order,
// with its payload intact.
TEST(MessageStreamThreads, MixedMessagesArriveCompleteAndInOrder) {
    constexpr int kMessages = 200000;
    constexpr int32_t kIds[] = {msg_id("ppc"),  msg_id("CCID"), msg_id("lern"),
                                msg_id("meta"), msg_id("init"), msg_id("sdk")};
    // Generous waits so that a slow machine never drops a message.
    lock_free_fifo q(4096, fifo_waits{5000, milliseconds{1}, 5000, milliseconds{1}});

    auto text_for = [](int i) {
        return std::string(static_cast<size_t>(i % 23), 'a' + i % 26) + "\xC3\xA9";
    };
    int dropped = 0;
    std::atomic<bool> writer_done{false};
    std::thread writer([&] {
        for (int i = 0; i < kMessages; ++i) {
            const int kind = i % 6;
            my_msg_que_output_stream out(q, i, kIds[kind]);
            switch (kind) {
                case 0:
                    out.write_float(static_cast<float>(i) * 0.25f);
                    break;
                case 1:
                    out.write_byte(static_cast<uint8_t>(i));
                    break;
                case 2:
                    break;
                case 3:
                    out.write_text(text_for(i));
                    break;
                case 4:
                    out.write_int(i % 97);
                    for (int k = 0; k < i % 97; ++k) out.write_byte(static_cast<uint8_t>(i + k));
                    break;
                default:
                    out.write_int(i * 3);
                    out.write_int(-i);
                    break;
            }
            if (!out.finish()) ++dropped;
        }
        writer_done = true;
    });

    int received = 0;
    int first_bad = -1;
    my_msg_que_input_stream in(q);
    std::string text;
    text.reserve(64);
    while (received < kMessages && !in.failed()) {
        if (q.IsEmpty()) {
            std::this_thread::yield();
            continue;
        }
        const int i = received++;
        const int kind = i % 6;
        bool ok = in.read_int() == i && in.read_int() == kIds[kind];
        switch (kind) {
            case 0:
                ok = ok && in.read_float() == static_cast<float>(i) * 0.25f;
                break;
            case 1:
                ok = ok && in.read_byte() == static_cast<uint8_t>(i);
                break;
            case 2:
                break;
            case 3:
                ok = ok && in.read_text(text) && text == text_for(i);
                break;
            case 4: {
                const int n = in.read_int();
                ok = ok && n == i % 97;
                for (int k = 0; ok && k < n; ++k)
                    ok = in.read_byte() == static_cast<uint8_t>(i + k);
                break;
            }
            default:
                ok = ok && in.read_int() == i * 3 && in.read_int() == -i;
                break;
        }
        if (!ok) {
            first_bad = i;
            break;
        }
    }
    while (!writer_done) q.Skip(q.ReadableBytes());  // after a fault, let the writer finish
    writer.join();
    EXPECT_EQ(dropped, 0);
    EXPECT_EQ(first_bad, -1);
    EXPECT_EQ(received, kMessages);
    EXPECT_FALSE(in.failed());
    EXPECT_TRUE(q.IsEmpty()) << "nothing beyond the last message";
}

}  // namespace
}  // namespace md
