#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/message_capture.h"

namespace md::platform {
namespace {

TEST(PlatformMessageBox, SinkReceivesExactlyWhatWasShown) {
    const struct {
        std::string_view text;
        MessageIcon icon;
        MessageButtons buttons;
        MessageResult answer;
    } cases[] = {
        {"Can't open file 'a b.wav'", MessageIcon::Error, MessageButtons::Ok, MessageResult::Ok},
        {"Save changes?", MessageIcon::Question, MessageButtons::YesNoCancel, MessageResult::No},
        {"Device busy", MessageIcon::Warning, MessageButtons::RetryCancel, MessageResult::Cancel},
        {"", MessageIcon::None, MessageButtons::OkCancel, MessageResult::Cancel},
        {"line one\nline two", MessageIcon::Information, MessageButtons::YesNo, MessageResult::Yes},
    };
    for (const auto& c : cases) {
        test::MessageCapture capture(c.answer);
        EXPECT_EQ(ShowMessage(c.text, c.icon, c.buttons), c.answer);
        ASSERT_EQ(capture.messages().size(), 1u);
        const Message& m = capture.messages()[0];
        EXPECT_EQ(m.text, c.text);
        EXPECT_EQ(m.icon, c.icon);
        EXPECT_EQ(m.buttons, c.buttons);
    }
}

TEST(PlatformMessageBox, PreviousSinkComesBackAfterACapture) {
    std::vector<std::string> outer_texts;
    test::MessageCapture guard;  // restores whatever was installed before this test
    SetMessageSink([&](const Message& m) {
        outer_texts.push_back(m.text);
        return MessageResult::Retry;
    });
    {
        test::MessageCapture inner;
        ShowMessage("inner");
        EXPECT_EQ(inner.texts(), std::vector<std::string>{"inner"});
    }
    EXPECT_EQ(ShowMessage("outer"), MessageResult::Retry);
    EXPECT_EQ(outer_texts, std::vector<std::string>{"outer"});
    EXPECT_TRUE(guard.messages().empty());
}

TEST(PlatformMessageBox, EmptySinkRestoresTheDefault) {
    test::MessageCapture guard;
    MessageSink custom = [](const Message&) { return MessageResult::No; };
    SetMessageSink(custom);
    const MessageSink previous = SetMessageSink({});
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous(Message{}), MessageResult::No) << "SetMessageSink returns the one replaced";

    testing::internal::CaptureStderr();
    const MessageResult result = ShowMessage("to stderr", MessageIcon::Warning);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[warning] to stderr\n");
    EXPECT_EQ(result, MessageResult::Ok);
    EXPECT_FALSE(SetMessageSink({})) << "the default is reported as an empty sink";
}

TEST(PlatformMessageBox, StderrSinkWritesOneLineAndPicksTheFirstButton) {
    const struct {
        MessageIcon icon;
        MessageButtons buttons;
        std::string_view line;
        MessageResult answer;
    } cases[] = {
        {MessageIcon::None, MessageButtons::Ok, "[message] text\n", MessageResult::Ok},
        {MessageIcon::Information, MessageButtons::OkCancel, "[info] text\n", MessageResult::Ok},
        {MessageIcon::Warning, MessageButtons::YesNo, "[warning] text\n", MessageResult::Yes},
        {MessageIcon::Error, MessageButtons::YesNoCancel, "[error] text\n", MessageResult::Yes},
        {MessageIcon::Question, MessageButtons::RetryCancel, "[question] text\n",
         MessageResult::Retry},
    };
    for (const auto& c : cases) {
        testing::internal::CaptureStderr();
        const MessageResult result = StderrMessageSink(Message{"text", c.icon, c.buttons});
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
        EXPECT_EQ(result, c.answer) << c.line;
    }
}

// Messages shown on other threads while the sink is being swapped all arrive at one of the
// installed sinks, none lost and none at a half-swapped sink.
TEST(PlatformMessageBox, SwappingSinksWhileOtherThreadsShowMessages) {
    test::MessageCapture guard;
    std::atomic<int> first{0};
    std::atomic<int> second{0};
    const MessageSink count_first = [&](const Message&) {
        ++first;
        return MessageResult::Ok;
    };
    const MessageSink count_second = [&](const Message&) {
        ++second;
        return MessageResult::Ok;
    };
    SetMessageSink(count_first);

    constexpr int kThreads = 4;
    constexpr int kMessagesEach = 2000;
    std::atomic<int> running{kThreads};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kMessagesEach; ++i) ShowMessage("tick");
            --running;
        });
    }
    for (int swaps = 0; running > 0; ++swaps) {
        SetMessageSink(swaps % 2 == 0 ? count_second : count_first);
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(first + second, kThreads * kMessagesEach);
    EXPECT_TRUE(guard.messages().empty());
}

}  // namespace
}  // namespace md::platform
