// CControl: a panel control module, holding one value per patch, and the control classes that
// share its record.
//
// Document side; user-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/module.h"

namespace md {

// The type of a control's per-patch values, fixed by its class.
enum class ControlValueKind { kInteger, kDouble, kText };

class CControl : public CUG {
    MD_SERIAL_CLASS()

public:
    static constexpr int kValueCount = 128;

    CControl() = default;
    ~CControl() override;

    virtual ControlValueKind ValueKind() const { return ControlValueKind::kInteger; }

    // ---- per-patch values ----
    // Only the accessors of the control's kind carry values; the others read defaults and
    // ignore writes. Patches outside 0..127 read the default.
    int32_t IntValue(int patch) const;
    double DoubleValue(int patch) const;
    const std::string& TextValue(int patch) const;
    // A control stored with a single value has one value for every patch: setting it for one
    // patch sets it for all.
    void SetIntValue(int patch, int32_t value);
    void SetDoubleValue(int patch, double value);
    void SetTextValue(int patch, std::string value);
    bool single_value() const { return single_value_; }

    int32_t control_setting = 0;
    Rect panel_rect;
    std::string hint;

    void Serialize(Archive& ar) override;

private:
    void SerializeValues(Archive& ar);
    bool InRange(int patch) const { return patch >= 0 && patch < kValueCount; }

    std::vector<int32_t> int_values_;
    std::vector<double> double_values_;
    std::vector<std::string> text_values_;
    bool single_value_ = false;
};

// ---- controls with integer values ----

class Ctl_Combo : public CControl {
    MD_SERIAL_CLASS()
};

class Ctl_PushButton : public CControl {
    MD_SERIAL_CLASS()
};

class ui_control2 : public CControl {
    MD_SERIAL_CLASS()
};

class Ctl_Keyboard : public CControl {
    MD_SERIAL_CLASS()
};

class Ctl_Env_Edit : public CControl {
    MD_SERIAL_CLASS()
};

class Ctl_GenProg : public CControl {
    MD_SERIAL_CLASS()
};

class Ctl_FreqAn : public CControl {
    MD_SERIAL_CLASS()
};

class Ctl_FreqResp : public CControl {
    MD_SERIAL_CLASS()
};

class Ctl_SelfDrawing : public CControl {
    MD_SERIAL_CLASS()
};

// ---- controls with floating-point values ----

class Ctl_Slider : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kDouble; }
};

class Ctl_PeakMeter : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kDouble; }
};

class Ctl_LED : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kDouble; }
};

class Ctl_VoltMeter : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kDouble; }
};

class ui_param_float_out : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kDouble; }
};

// ---- controls with text values ----

class Ctl_Text : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kText; }
};

class Ctl_tty : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kText; }
};

class Cosc_sf : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kText; }
};

class Ctl_SamplePlay2 : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kText; }
};

class Ctl_Soundfont_base : public CControl {
    MD_SERIAL_CLASS()

public:
    ControlValueKind ValueKind() const override { return ControlValueKind::kText; }
};

}  // namespace md
