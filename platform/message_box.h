// User-facing messages. Every message box of the system goes through one sink, so a host
// without a GUI still sees the text (stderr) and tests can capture the exact wording.
// Any thread may call ShowMessage; the sink is swapped only while no message is in flight.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace md::platform {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageResult { Ok, Cancel, Yes, No, Retry };

struct Message {
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

using MessageSink = std::function<MessageResult(const Message&)>;

// Shows a message through the current sink and returns the button chosen.
MessageResult ShowMessage(std::string_view text, MessageIcon icon = MessageIcon::None,
                          MessageButtons buttons = MessageButtons::Ok);

// Installs a sink (an empty one restores the default) and returns the previous one.
MessageSink SetMessageSink(MessageSink sink);

// The default sink: writes the text to stderr and answers with the first button.
MessageResult StderrMessageSink(const Message& message);

}  // namespace md::platform
