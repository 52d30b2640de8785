// Streams that write and read messages on a lock_free_fifo, and the message id packing.
//
// A message is: handle (4 bytes), message id (4 bytes), then a payload the receiver reads
// field by field (there is no length field). Integers and floats are 4 bytes little-endian,
// a byte is 1 byte, and a text is a 4-byte count n of UTF-16 code units including the
// terminating zero, followed by those n units (2 bytes each, little-endian).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace md {

class lock_free_fifo;

// Packs a message id of one to four characters c0 c1 c2 c3 as
// c0 * 2^24 + c1 * 2^16 + c2 * 2^8 + c3; missing characters count as 0, so "ppc" is
// 0x70706300. Any thread.
template <std::size_t N>
constexpr int32_t msg_id(const char (&text)[N]) {
    static_assert(N >= 2 && N <= 5, "a message id has one to four characters");
    uint32_t packed = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const uint32_t c = i + 1 < N ? static_cast<unsigned char>(text[i]) : 0u;
        packed = packed << 8 | c;
    }
    return static_cast<int32_t>(packed);
}

// Writes message fields. Calls come from the thread that writes the underlying queue.
class my_output_stream {
public:
    virtual ~my_output_stream() = default;
    // Appends `count` raw bytes. Allocates nothing.
    virtual void write(const void* bytes, int count) = 0;

    // Field helpers; none of them allocates.
    void write_int(int32_t value);
    void write_float(float value);
    void write_byte(uint8_t value);
    // UTF-8 text, converted to UTF-16 (malformed sequences become U+FFFD).
    void write_text(std::string_view utf8);
    void write_text(std::u16string_view text);
};

// Reads message fields. Calls come from the thread that reads the underlying queue.
class my_input_stream {
public:
    virtual ~my_input_stream() = default;
    // Fills `bytes` with the next `count` bytes; answers how many did not arrive (those are
    // set to zero). Allocates nothing.
    virtual int read(void* bytes, int count) = 0;

    // Field helpers. A field that does not arrive whole reads as zero / empty.
    int32_t read_int();
    float read_float();
    uint8_t read_byte();
    // A text, without its terminating zero; false when it did not arrive whole. `out` grows
    // as the text arrives, so these allocate unless `out` already has room (reserve before
    // reading texts on the audio thread). UTF-16 that is not well formed becomes U+FFFD.
    bool read_text(std::u16string& out);
    bool read_text(std::string& utf8);
};

// Writes one message into a queue. The message becomes visible to the reader only as a
// whole, when finish() (or the destructor) publishes it. Writer thread of the queue only;
// one stream at a time per queue.
class my_msg_que_output_stream final : public my_output_stream {
public:
    // A message with no header; the caller writes every byte.
    explicit my_msg_que_output_stream(lock_free_fifo& queue);
    // A message addressed to `handle`: writes the handle and the message id at once.
    my_msg_que_output_stream(lock_free_fifo& queue, int32_t handle, int32_t message_id);
    // Finishes the message if finish() was not called.
    ~my_msg_que_output_stream() override;
    my_msg_que_output_stream(const my_msg_que_output_stream&) = delete;
    my_msg_que_output_stream& operator=(const my_msg_que_output_stream&) = delete;

    void write(const void* bytes, int count) override;
    // Publishes the message. False when it was dropped because it did not fit (see write);
    // later calls answer the same and publish nothing more.
    bool finish();
    // True while every byte written so far has fitted.
    bool ok() const { return !dropped_; }

private:
    lock_free_fifo& queue_;
    bool dropped_ = false;
    bool finished_ = false;
};

// Reads messages from a queue. Reader thread of the queue only.
class my_msg_que_input_stream final : public my_input_stream {
public:
    explicit my_msg_que_input_stream(lock_free_fifo& queue);

    int read(void* bytes, int count) override;
    // True when a read ran dry after the queue's waits. From then on reads do not wait and
    // answer zeros, so one malformed message costs at most one wait; clear() re-arms.
    bool failed() const { return failed_; }
    void clear() { failed_ = false; }

private:
    lock_free_fifo& queue_;
    bool failed_ = false;
};

}  // namespace md
