// generic_parameter: a named value of a document object that panels, hosts and tools read and
// set as text. Document side; user-interface thread only.
#pragma once

#include <string>

namespace md {

class generic_parameter {
public:
    virtual ~generic_parameter() = default;
    virtual std::string GetName() const = 0;
    virtual std::string GetValueText() const = 0;
    virtual void SetValueText(const std::string& text) = 0;
};

// A parameter whose value lives in another object, reached through two functions.
template <class Owner>
class member_parameter : public generic_parameter {
public:
    using Getter = std::string (*)(const Owner&);
    using Setter = void (*)(Owner&, const std::string&);

    member_parameter(std::string name, Owner& owner, Getter get, Setter set)
        : name_(std::move(name)), owner_(owner), get_(get), set_(set) {}

    std::string GetName() const override { return name_; }
    std::string GetValueText() const override { return get_(owner_); }
    void SetValueText(const std::string& text) override { set_(owner_, text); }

private:
    std::string name_;
    Owner& owner_;
    Getter get_;
    Setter set_;
};

}  // namespace md
