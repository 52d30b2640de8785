#include "document/connect.h"

#include <algorithm>

#include "document/connection.h"
#include "document/container.h"
#include "document/it_enum_list.h"
#include "document/patch_document.h"
#include "document/plug.h"
#include "platform/message_box.h"
#include "platform/threads.h"

namespace md {

namespace {

// A plug that takes a single connection: a DSP-side input or a GUI-side output carrying
// values (MIDI and audio mix any number of sources).
bool HasNoRoom(const CPlug2& p) {
    const bool gui = p.IsGuiSide();
    const bool single = (!gui && p.GetDirection() == DR_IN) || (gui && p.GetDirection() != DR_IN);
    const DataType t = p.GetDataType();
    return single && t != PT_MIDI && t != PT_AUDIO && p.HasConnections();
}

bool IsConnectedListOutput(const CPlug2& p) {
    return p.GetDirection() == DR_OUT && p.GetDataType() == PT_ENUM && p.HasConnections();
}

// The choices of two lists compared entry by entry: the same texts with the same values.
bool SameChoices(const std::string& x, const std::string& y) {
    it_enum_list a(x);
    it_enum_list b(y);
    a.First();
    b.First();
    for (; !a.IsDone() && !b.IsDone(); a.Next(), b.Next()) {
        if (a.CurrentItem().text != b.CurrentItem().text ||
            a.CurrentItem().value != b.CurrentItem().value) {
            return false;
        }
    }
    return a.IsDone() && b.IsDone();
}

bool AlreadyConnected(const CPlug2& a, const CPlug2& b) {
    return std::any_of(a.connections().begin(), a.connections().end(),
                       [&](const CLine2* line) { return a.OtherEnd(*line) == &b; });
}

SoundEngineSwitch* EngineOf(const CPlug2& p) {
    const CDocOb* o = p.owner();
    while (o != nullptr && o->parent() != nullptr) o = o->parent();
    const auto* root = dynamic_cast<const CContainer*>(o);
    if (root == nullptr || root->document() == nullptr) return nullptr;
    return root->document()->engine_switch();
}

}  // namespace

bool CanConnect(const CPlug2& a, const CPlug2& b, std::string* message) {
    auto refuse = [message](const char* text) {
        if (message != nullptr) *message = text;
        return false;
    };
    if (message != nullptr) message->clear();
    if (&a == &b) return refuse("");
    if (a.GetDirection() == b.GetDirection()) return refuse(connect_message::kSameDirection);
    if (a.GetDirection() != DR_CONTAINER_IO && b.GetDirection() != DR_CONTAINER_IO) {
        if (a.GetDataType() != b.GetDataType()) return refuse(connect_message::kDifferentTypes);
        if (a.IsGuiSide() != b.IsGuiSide()) return refuse(connect_message::kGuiAndDsp);
    }
    if (HasNoRoom(a)) return refuse(connect_message::kOneOutput);
    if (HasNoRoom(b)) return refuse(connect_message::kOneInput);
    if (IsConnectedListOutput(b) && !SameChoices(a.GetMetaText(), b.GetMetaText())) {
        return refuse(connect_message::kListChoices);
    }
    if (IsConnectedListOutput(a) && (b.Flags() & plug_flag::kAnyList) == 0) {
        const CPlug2* driven = a.OtherEnd(*a.connections().front());
        if (driven != nullptr && !SameChoices(b.GetMetaText(), driven->GetMetaText())) {
            return refuse(connect_message::kWrongListbox);
        }
    }
    if (AlreadyConnected(a, b)) return refuse(connect_message::kAlreadyConnected);
    return true;
}

CLine2* Connect(CPlug2& a, CPlug2& b) {
    std::string message;
    if (!CanConnect(a, b, &message)) {
        if (!message.empty()) platform::ShowMessage(message);
        return nullptr;
    }
    if (a.owner() == nullptr || a.owner()->parent() == nullptr) return nullptr;
    CContainer* container = a.owner()->parent();

    // The connection runs from the output side to the input side.
    CPlug2* from = &a;
    CPlug2* to = &b;
    if (a.GetDirection() == DR_IN || b.GetDirection() == DR_OUT) std::swap(from, to);

    a.owner()->OnPlugChanged(&a);
    SoundEngineSwitch* engine = EngineOf(a);
    const bool was_running = engine != nullptr && engine->IsRunning();
    if (was_running) {
        engine->RequestStop();
        bool stopped = engine->HasStopped();
        for (int i = 0; i < 300 && !stopped; ++i) {
            platform::Sleep(10);
            stopped = engine->HasStopped();
        }
        if (!stopped) {
            platform::ShowMessage(connect_message::kEngineNotResponding,
                                  platform::MessageIcon::Warning);
        }
    }
    auto* line = static_cast<CLine2*>(container->AddChild(std::make_unique<CLine2>(from, to)));
    line->AttachToPlugs();
    if (was_running) engine->Start();
    return line;
}

}  // namespace md
