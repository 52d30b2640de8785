#include "document/connect.h"

#include <gtest/gtest.h>

#include "document/container.h"
#include "document/module_registry.h"
#include "document/patch_document.h"
#include "tests/document/test_module_types.h"
#include "tests/support/message_capture.h"

namespace md {
namespace {

class ConnectTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::RegisterTestModuleTypes();
        root_ = Make<CContainer>("Container", nullptr);
        src_ = Make<CUG>(test::kTestSource, root_.get());
        src2_ = Make<CUG>(test::kTestSource, root_.get());
        sink_ = Make<CUG>(test::kTestSink, root_.get());
    }

    template <class T>
    static std::unique_ptr<T> Make(const char* id, CContainer* parent) {
        std::unique_ptr<CDocOb> o = Registry().CreateDocObject(id);
        auto* t = dynamic_cast<T*>(o.get());
        EXPECT_NE(t, nullptr) << id;
        o.release();
        std::unique_ptr<T> owned(t);
        (void)parent;
        return owned;
    }

    template <class T>
    T* Add(const char* id, CContainer* into) {
        return static_cast<T*>(into->AddChild(Make<T>(id, into)));
    }

    // The container IO plug of `m` that nothing uses, on either side.
    static CPlugIO2* FreeSpare(const CUG& m) {
        for (const auto& p : m.plugs()) {
            auto* io = dynamic_cast<CPlugIO2*>(p.get());
            if (io != nullptr && !io->PairConnected()) return io;
        }
        return nullptr;
    }

    std::unique_ptr<CContainer> root_;
    std::unique_ptr<CUG> src_, src2_, sink_;
};

TEST_F(ConnectTest, RefusalsGiveTheirExactMessage) {
    CUG* src = Add<CUG>(test::kTestSource, root_.get());
    CUG* src2 = Add<CUG>(test::kTestSource, root_.get());
    CUG* sink = Add<CUG>(test::kTestSink, root_.get());
    ASSERT_NE(Connect(*src->FindPlug("Level"), *sink->FindPlug("Value")), nullptr);
    ASSERT_NE(Connect(*src->FindPlug("Choice"), *sink->FindPlug("Mode")), nullptr);

    struct Case {
        const char* name;
        CPlug2* a;
        CPlug2* b;
        std::string message;  // empty: refused without a message
    };
    const Case cases[] = {
        {"same plug", src->FindPlug("Out"), src->FindPlug("Out"), ""},
        {"output to output", src->FindPlug("Out"), src2->FindPlug("Level"),
         connect_message::kSameDirection},
        {"text to audio", src->FindPlug("Name"), sink->FindPlug("In"),
         connect_message::kDifferentTypes},
        {"GUI-side to DSP-side", src2->FindPlug("GUI Out"), sink->FindPlug("Value"),
         connect_message::kGuiAndDsp},
        {"second source for a float input", src2->FindPlug("Level"), sink->FindPlug("Value"),
         connect_message::kOneInput},
        {"float input already fed, as a", sink->FindPlug("Value"), src2->FindPlug("Level"),
         connect_message::kOneOutput},
        {"list output driving other choices", src->FindPlug("Choice"), sink->FindPlug("Colour"),
         connect_message::kWrongListbox},
        {"already connected", src->FindPlug("Out"), sink->FindPlug("MIDI In"),
         connect_message::kDifferentTypes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(c.a, nullptr);
        ASSERT_NE(c.b, nullptr);
        std::string message = "unchanged";
        EXPECT_FALSE(CanConnect(*c.a, *c.b, &message));
        EXPECT_EQ(message, c.message);
    }

    // Refused connections show their message and change nothing.
    test::MessageCapture messages;
    const size_t children = root_->children().size();
    EXPECT_EQ(Connect(*src->FindPlug("Out"), *src2->FindPlug("Out")), nullptr);
    EXPECT_EQ(root_->children().size(), children);
    EXPECT_EQ(messages.texts(), std::vector<std::string>{connect_message::kSameDirection});
}

TEST_F(ConnectTest, AudioAndMidiInputsMixAnyNumberOfSources) {
    CUG* src = Add<CUG>(test::kTestSource, root_.get());
    CUG* src2 = Add<CUG>(test::kTestSource, root_.get());
    CUG* sink = Add<CUG>(test::kTestSink, root_.get());
    EXPECT_NE(Connect(*src->FindPlug("Out"), *sink->FindPlug("In")), nullptr);
    EXPECT_NE(Connect(*src2->FindPlug("Out"), *sink->FindPlug("In")), nullptr);
    EXPECT_NE(Connect(*src->FindPlug("MIDI Out"), *sink->FindPlug("MIDI In")), nullptr);
    EXPECT_NE(Connect(*src2->FindPlug("MIDI Out"), *sink->FindPlug("MIDI In")), nullptr);
    EXPECT_EQ(sink->FindPlug("In")->connections().size(), 2u);

    std::string message;
    EXPECT_FALSE(CanConnect(*src->FindPlug("Out"), *sink->FindPlug("In"), &message));
    EXPECT_EQ(message, connect_message::kAlreadyConnected);
    // The list output's choices must match a second input; a plug taking any list is exempt.
    ASSERT_NE(Connect(*src->FindPlug("Choice"), *sink->FindPlug("Mode")), nullptr);
    EXPECT_TRUE(CanConnect(*src->FindPlug("Choice"), *sink->FindPlug("Any List")));
}

TEST_F(ConnectTest, ConnectionRunsFromTheOutputWhicheverPlugComesFirst) {
    CUG* src = Add<CUG>(test::kTestSource, root_.get());
    CUG* sink = Add<CUG>(test::kTestSink, root_.get());
    CLine2* line = Connect(*sink->FindPlug("In"), *src->FindPlug("Out"));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->from(), src->FindPlug("Out"));
    EXPECT_EQ(line->to(), sink->FindPlug("In"));
    EXPECT_EQ(line->parent(), root_.get());
}

TEST_F(ConnectTest, ContainerSpareGainsAndLosesItsPartnerCopies) {
    CContainer* inner = Add<CContainer>("Container", root_.get());
    CUG* io = inner->FindIoModule();
    ASSERT_NE(io, nullptr);
    CUG* outside = Add<CUG>(test::kTestSource, root_.get());
    CUG* inside = Add<CUG>(test::kTestSink, inner);

    // A container starts with one spare plug; its IO module too, and they are partners.
    auto spares = [](const CUG& m) {
        int n = 0;
        for (const auto& p : m.plugs()) n += p->GetDirection() == DR_CONTAINER_IO;
        return n;
    };
    ASSERT_EQ(spares(*inner), 1);
    ASSERT_EQ(spares(*io), 1);
    auto* outer_spare = dynamic_cast<CPlugIO2*>(inner->FindPlug(DR_CONTAINER_IO, PT_AUDIO, 0));
    ASSERT_NE(outer_spare, nullptr);
    ASSERT_EQ(outer_spare->partner(), io->plugs()[0].get());

    CLine2* in_line = Connect(*outside->FindPlug("Out"), *outer_spare);
    ASSERT_NE(in_line, nullptr);
    EXPECT_EQ(spares(*inner), 2);
    EXPECT_EQ(spares(*io), 2);
    // The new pair is partnered, and the connected outer plug took the source's name.
    CPlugIO2* new_outer = FreeSpare(*inner);
    ASSERT_NE(new_outer, nullptr);
    ASSERT_NE(new_outer->partner(), nullptr);
    EXPECT_EQ(new_outer->partner()->owner(), io);
    EXPECT_EQ(outer_spare->GetName(), "Out");
    EXPECT_TRUE(new_outer->IsSpareCopy());
    EXPECT_FALSE(outer_spare->IsSpareCopy());
    // The inner partner is "connected" through its outer side, so it is no spare copy.
    EXPECT_FALSE(outer_spare->partner()->IsSpareCopy());

    CLine2* inner_line = Connect(*outer_spare->partner(), *inside->FindPlug("In"));
    ASSERT_NE(inner_line, nullptr);
    EXPECT_EQ(spares(*io), 2) << "a partner already in use makes no copies";

    // Taking both connections away removes the used pair and leaves one free spare.
    inner->DeleteChild(inner_line);
    EXPECT_EQ(spares(*io), 2) << "still connected outside";
    root_->DeleteChild(in_line);
    EXPECT_EQ(spares(*inner), 1);
    EXPECT_EQ(spares(*io), 1);
    auto* remaining = dynamic_cast<CPlugIO2*>(inner->FindPlug(DR_CONTAINER_IO, PT_AUDIO, 0));
    ASSERT_NE(remaining, nullptr);
    EXPECT_EQ(remaining->partner(), io->plugs()[0].get());
}

TEST_F(ConnectTest, PlugVisibility) {
    CContainer* inner = Add<CContainer>("Container", root_.get());
    CUG* sink = Add<CUG>(test::kTestSink, root_.get());
    CUG* src = Add<CUG>(test::kTestSource, root_.get());
    EXPECT_TRUE(sink->FindPlug("In")->IsVisible());
    EXPECT_FALSE(sink->FindPlug("Setting")->IsVisible()) << "parameters are no pins";
    EXPECT_FALSE(sink->FindPlug("Hidden")->IsVisible());
    ASSERT_NE(Connect(*src->FindPlug("Level"), *sink->FindPlug("Hidden")), nullptr);
    EXPECT_TRUE(sink->FindPlug("Hidden")->IsVisible()) << "a connected plug is shown";

    // The spare-hidden setting hides the container's free spare, not a connected plug.
    inner->FindIoModule();
    CPlug2* spare = inner->FindPlug(DR_CONTAINER_IO, PT_AUDIO, 0);
    ASSERT_NE(Connect(*src->FindPlug("Out"), *spare), nullptr);
    inner->SetSpareHidden(true);
    EXPECT_TRUE(spare->IsVisible());
    ASSERT_NE(FreeSpare(*inner), nullptr);
    EXPECT_FALSE(FreeSpare(*inner)->IsVisible());
    inner->SetSpareHidden(false);
    EXPECT_TRUE(FreeSpare(*inner)->IsVisible());
}

TEST_F(ConnectTest, DescriptorBeyondTheListIsEmpty) {
    CUG* sink = Add<CUG>(test::kTestSink, root_.get());
    CPlug2* odd = sink->AddPlug(std::make_unique<CPlug2>(int16_t{40}, "x"));
    EXPECT_EQ(odd->GetName(), "");
    EXPECT_EQ(odd->GetDataType(), PT_ENUM);
    EXPECT_EQ(odd->GetDirection(), DR_IN);
    EXPECT_EQ(sink->plugs().back().get(), odd) << "ordered by descriptor index";
}

TEST_F(ConnectTest, DisabledFollowsTheContainer) {
    CContainer* inner = Add<CContainer>("Container", root_.get());
    CUG* m = Add<CUG>(test::kTestSink, inner);
    EXPECT_FALSE(m->IsDisabled());
    inner->set_disabled_flag(true);
    EXPECT_TRUE(m->IsDisabled());
    inner->set_disabled_flag(false);
    m->set_disabled_flag(true);
    EXPECT_TRUE(m->IsDisabled());
    EXPECT_FALSE(inner->IsDisabled());
}

}  // namespace
}  // namespace md

namespace md {
namespace {

// A sound engine that stops after being asked `stop_after` times whether it has (never when
// negative).
class FakeEngine : public SoundEngineSwitch {
public:
    explicit FakeEngine(int stop_after) : stop_after_(stop_after) {}
    bool IsRunning() const override { return running_; }
    void RequestStop() override { ++stop_requests; }
    bool HasStopped() const override {
        if (stop_after_ >= 0 && ++asked_ > stop_after_) running_ = false;
        return !running_;
    }
    void Start() override {
        running_ = true;
        ++starts;
    }
    int stop_requests = 0;
    int starts = 0;

private:
    int stop_after_;
    mutable int asked_ = 0;
    mutable bool running_ = true;
};

TEST_F(ConnectTest, RunningEngineIsStoppedAndRestartedAroundAConnection) {
    for (const int stop_after : {2, -1}) {
        SCOPED_TRACE(stop_after);
        ApplicationFiles app;
        PatchDocument doc(app);
        doc.set_root(std::unique_ptr<CContainer>(
            static_cast<CContainer*>(Registry().CreateDocObject("Container").release())));
        FakeEngine engine(stop_after);
        doc.set_engine_switch(&engine);
        CUG* src = Add<CUG>(test::kTestSource, doc.root());
        CUG* sink = Add<CUG>(test::kTestSink, doc.root());

        test::MessageCapture messages;
        EXPECT_NE(Connect(*src->FindPlug("Out"), *sink->FindPlug("In")), nullptr)
            << "the connection is made either way";
        EXPECT_EQ(engine.stop_requests, 1);
        EXPECT_EQ(engine.starts, 1);
        if (stop_after < 0) {
            ASSERT_EQ(messages.messages().size(), 1u);
            EXPECT_EQ(messages.messages()[0].text, connect_message::kEngineNotResponding);
            EXPECT_EQ(messages.messages()[0].icon, platform::MessageIcon::Warning);
        } else {
            EXPECT_TRUE(messages.messages().empty());
        }
    }
}

}  // namespace
}  // namespace md
