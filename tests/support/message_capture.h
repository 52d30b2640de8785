// Captures every user-facing message while in scope, so tests can assert exact texts.
#pragma once

#include <string>
#include <vector>

#include "platform/message_box.h"

namespace md::test {

class MessageCapture {
public:
    explicit MessageCapture(platform::MessageResult answer = platform::MessageResult::Ok)
        : previous_(platform::SetMessageSink([this, answer](const platform::Message& m) {
              messages_.push_back(m);
              return answer;
          })) {}
    ~MessageCapture() { platform::SetMessageSink(std::move(previous_)); }
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    const std::vector<platform::Message>& messages() const { return messages_; }
    std::vector<std::string> texts() const {
        std::vector<std::string> out;
        for (const auto& m : messages_) out.push_back(m.text);
        return out;
    }
    void clear() { messages_.clear(); }

private:
    std::vector<platform::Message> messages_;
    platform::MessageSink previous_;
};

}  // namespace md::test
