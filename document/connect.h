// Connecting plugs: the rules that decide whether two plugs may be joined, and the join.
//
// User-interface thread only; a connection is made with the sound engine stopped.
#pragma once

#include <string>

namespace md {

class CLine2;
class CPlug2;

// The exact texts shown when a connection is refused.
namespace connect_message {
inline constexpr const char* kSameDirection =
    "Can't connect. An output must go to an input (plugs on the left = Inputs, right = Outputs";
inline constexpr const char* kDifferentTypes =
    "Can't connect different plug types (eg you can't connect a voltage p_to a filename)";
inline constexpr const char* kGuiAndDsp = "Can't connect different plug types";
inline constexpr const char* kOneOutput = "This type of plug accepts only one output";
inline constexpr const char* kOneInput = "This type of plug accepts only one input";
inline constexpr const char* kListChoices =
    "The choices in this listbox are not compatible with that plug";
inline constexpr const char* kWrongListbox = "This is the wrong type of listbox";
inline constexpr const char* kAlreadyConnected = "These two plugs are already connected";
inline constexpr const char* kEngineNotResponding =
    "Sound Engine not responding. Please Save and Exit";
}  // namespace connect_message

// Whether a may be connected to b; on false `message` (when given) holds the text to show,
// empty when nothing is shown.
bool CanConnect(const CPlug2& a, const CPlug2& b, std::string* message = nullptr);

// Connects a and b in the container that holds a's module: the output side becomes the
// connection's from plug. A running sound engine is stopped meanwhile and restarted. On
// refusal the message (if any) is shown and null returned.
CLine2* Connect(CPlug2& a, CPlug2& b);

// Stops and restarts the sound engine around structural changes (the plug-in provides it).
class SoundEngineSwitch {
public:
    virtual ~SoundEngineSwitch() = default;
    virtual bool IsRunning() const = 0;
    virtual void RequestStop() = 0;
    virtual bool HasStopped() const = 0;
    virtual void Start() = 0;
};

}  // namespace md
