#include "document/control.h"

#include <algorithm>
#include <utility>

namespace md {

MD_DEFINE_SERIAL_CLASS(CControl, 1, false, CUG);
MD_DEFINE_SERIAL_CLASS(Ctl_Combo, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_PushButton, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(ui_control2, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_Keyboard, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_Env_Edit, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_GenProg, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_FreqAn, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_FreqResp, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_SelfDrawing, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_Slider, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_PeakMeter, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_LED, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_VoltMeter, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(ui_param_float_out, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_Text, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_tty, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Cosc_sf, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_SamplePlay2, 1, false, CControl);
MD_DEFINE_SERIAL_CLASS(Ctl_Soundfont_base, 1, false, CControl);

namespace {

template <class T>
T ValueAt(const std::vector<T>& values, int patch) {
    return patch >= 0 && static_cast<size_t>(patch) < values.size() ? values[patch] : T{};
}

// Sets one patch, or every patch of a single-value control; the array is made on first use.
template <class T>
void SetValueAt(std::vector<T>& values, int patch, T value, bool all) {
    if (values.empty()) values.resize(CControl::kValueCount);
    if (all) {
        std::fill(values.begin(), values.end(), value);
    } else {
        values[static_cast<size_t>(patch)] = std::move(value);
    }
}

// Reads `n` numbers into 128 slots (values beyond 128 are read and dropped), or writes them.
template <class T, class Read>
void SerializeNumbers(Archive& ar, std::vector<T>& values, int32_t n, Read read) {
    if (ar.IsLoading()) {
        values.assign(CControl::kValueCount, T{});
        for (int32_t i = 0; i < n; ++i) {
            T x{};
            read(x);
            if (i < CControl::kValueCount) values[static_cast<size_t>(i)] = x;
        }
        return;
    }
    for (int32_t i = 0; i < n; ++i) {
        T x = ValueAt(values, i);
        read(x);
    }
}

}  // namespace

CControl::~CControl() = default;

int32_t CControl::IntValue(int patch) const {
    return ValueAt(int_values_, patch);
}
double CControl::DoubleValue(int patch) const {
    return ValueAt(double_values_, patch);
}

const std::string& CControl::TextValue(int patch) const {
    static const std::string empty;
    return InRange(patch) && static_cast<size_t>(patch) < text_values_.size()
               ? text_values_[static_cast<size_t>(patch)]
               : empty;
}

void CControl::SetIntValue(int patch, int32_t value) {
    if (ValueKind() == ControlValueKind::kInteger && InRange(patch)) {
        SetValueAt(int_values_, patch, value, single_value_);
    }
}

void CControl::SetDoubleValue(int patch, double value) {
    if (ValueKind() == ControlValueKind::kDouble && InRange(patch)) {
        SetValueAt(double_values_, patch, value, single_value_);
    }
}

void CControl::SetTextValue(int patch, std::string value) {
    if (ValueKind() == ControlValueKind::kText && InRange(patch)) {
        SetValueAt(text_values_, patch, std::move(value), single_value_);
    }
}

void CControl::SerializeValues(Archive& ar) {
    const ControlValueKind kind = ValueKind();
    int32_t n = single_value_ ? 1 : kValueCount;
    ar.Int32(n);
    if (ar.IsLoading() && n < 0) throw ArchiveError("negative value count of a control");

    if (kind == ControlValueKind::kText) {
        // The text array carries its own count, which is the one that counts.
        std::vector<std::string> texts;
        if (ar.IsStoring()) {
            for (int i = 0; i < n; ++i) texts.push_back(TextValue(i));
        }
        ar.TextArray(texts);
        if (ar.IsLoading()) {
            if (texts.size() > static_cast<size_t>(kValueCount)) texts.resize(kValueCount);
            single_value_ = texts.size() == 1;
            texts.resize(kValueCount, single_value_ ? texts.front() : std::string());
            text_values_ = std::move(texts);
        }
        return;
    }

    const size_t size = kind == ControlValueKind::kDouble ? 8 : 4;
    if (ar.IsLoading() && static_cast<uint64_t>(n) * size > ar.remaining()) {
        throw ArchiveError("value count of a control out of range");
    }
    if (kind == ControlValueKind::kDouble) {
        SerializeNumbers(ar, double_values_, n, [&ar](double& x) { ar.Double(x); });
    } else {
        SerializeNumbers(ar, int_values_, n, [&ar](int32_t& x) { ar.Int32(x); });
    }
    if (ar.IsLoading()) {
        single_value_ = n == 1;
        if (single_value_) {
            if (kind == ControlValueKind::kDouble) {
                std::fill(double_values_.begin(), double_values_.end(), double_values_[0]);
            } else {
                std::fill(int_values_.begin(), int_values_.end(), int_values_[0]);
            }
        }
    }
}

void CControl::Serialize(Archive& ar) {
    const int32_t v = ar.v();
    CUG::Serialize(ar);
    if (v > 18) {
        if (v > 83) ar.Int32(control_setting);
        SerializeValues(ar);
    }
    ar.RectValue(panel_rect);
    if (v >= 61) ar.Text(hint);
}

}  // namespace md
