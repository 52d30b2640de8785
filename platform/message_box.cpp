// The process-wide message sink and the default one writing to stderr.
#include "platform/message_box.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <utility>

namespace md::platform {

namespace {

// The installed sink; null means the default. ShowMessage takes a reference under the lock
// and calls the sink outside it, so a sink may itself show messages or swap the sink.
struct SinkSlot {
    std::mutex mutex;
    std::shared_ptr<const MessageSink> sink;
};

SinkSlot& Slot() {
    // Never destroyed: messages shown while static objects are torn down still find it.
    static SinkSlot* slot = new SinkSlot;
    return *slot;
}

const char* IconLabel(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return "info";
        case MessageIcon::Warning:
            return "warning";
        case MessageIcon::Error:
            return "error";
        case MessageIcon::Question:
            return "question";
        case MessageIcon::None:
            break;
    }
    return "message";
}

MessageResult FirstButton(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::YesNo:
        case MessageButtons::YesNoCancel:
            return MessageResult::Yes;
        case MessageButtons::RetryCancel:
            return MessageResult::Retry;
        case MessageButtons::Ok:
        case MessageButtons::OkCancel:
            break;
    }
    return MessageResult::Ok;
}

}  // namespace

MessageResult ShowMessage(std::string_view text, MessageIcon icon, MessageButtons buttons) {
    std::shared_ptr<const MessageSink> sink;
    {
        std::lock_guard lock(Slot().mutex);
        sink = Slot().sink;
    }
    const Message message{std::string(text), icon, buttons};
    return sink ? (*sink)(message) : StderrMessageSink(message);
}

MessageSink SetMessageSink(MessageSink sink) {
    std::shared_ptr<const MessageSink> next;
    if (sink) next = std::make_shared<const MessageSink>(std::move(sink));
    {
        std::lock_guard lock(Slot().mutex);
        Slot().sink.swap(next);
    }
    // `next` now holds the previous sink; a message in flight may still share it.
    return next ? *next : MessageSink{};
}

MessageResult StderrMessageSink(const Message& message) {
    // One write per message, so lines from different threads don't interleave.
    std::string line = "[";
    line += IconLabel(message.icon);
    line += "] ";
    line += message.text;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return FirstButton(message.buttons);
}

}  // namespace md::platform
