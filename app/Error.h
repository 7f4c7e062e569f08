#pragma once
// An unexpected failure: carries its exact text, shown as it stands in an error box,
// and the name of its kind (shown where a message names the error's type).
#include <stdexcept>
#include <string>

namespace qx {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& text, std::string kind = "Exception")
        : std::runtime_error(text), kind_(std::move(kind)) {}
    const std::string& kind() const { return kind_; }

private:
    std::string kind_;
};

} // namespace qx
