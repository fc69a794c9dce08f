#include "settings/core/OnOffValue.h"

#include <algorithm>

namespace marrowlight {

std::optional<bool> DecodeOnOff(std::string_view stored) {
    std::string_view digits = stored;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    // "yes" or "on" written by hand is no number: better the default than
    // reading it as off.
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit))
        return std::nullopt;
    // Digits only, so a number too long for any integer type still counts.
    return digits.find_first_not_of('0') != std::string_view::npos;
}

} // namespace marrowlight
