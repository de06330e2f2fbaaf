// A value, or the message that says why there is none: what reading a file,
// decoding a picture or building a run's grids gives.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace quba {

template <typename T> struct Outcome {
    std::optional<T> value;
    std::string message; // empty when value holds one

    static Outcome Refused(std::string why) { return {std::nullopt, std::move(why)}; }
    explicit operator bool() const { return value.has_value(); }
};

} // namespace quba
