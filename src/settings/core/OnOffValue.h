#pragma once

#include <optional>
#include <string_view>

namespace marrowlight {

// How every stored on/off value reads, whoever wrote it: a whole decimal
// number other than 0 is on (so a hand-edited "2" means on everywhere), 0 is
// off, and any other text ("yes", "on", empty) gives nullopt, so the setting
// keeps its default.
std::optional<bool> DecodeOnOff(std::string_view stored);

// The text an on/off value is stored as.
inline const char* EncodeOnOff(bool on) {
    return on ? "1" : "0";
}

} // namespace marrowlight
