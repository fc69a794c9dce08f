#pragma once

#include "app/core/CommandLine.h"

#include <functional>
#include <string>
#include <vector>

namespace marrowlight {

// What the main window's first activation does with the command line.
struct StartupPlan {
    bool applySwitches = false;
    // Opened in this order; the last ends up active. StandardInputAddress
    // ("-") stands for the standard input.
    std::vector<std::string> logs;
    bool hideMenu = false;
};

// A single parameter naming an existing file or a journal source
// ("journal://...") is opened as it is, with no switch applied. Otherwise the
// switches apply, the "-f" list is opened, then every other parameter that is
// no switch and names an existing file or a journal source.
// `isExistingFile` should accept regular files only, not folders; "-" (the
// standard input) counts as one, in the list as among the parameters.
StartupPlan PlanFirstActivation(const CommandLine& cmd,
                                const std::function<bool(const std::string&)>& isExistingFile);

// The window caption with the trimmed "-c" value appended in brackets; a
// value of blanks only still gives " []".
std::string CaptionWithSuffix(const std::string& caption, const CommandLine& cmd);

// "-ot" decides when present (an on value keeps the window on top, anything
// else, nothing included, does not); otherwise the stored "StayOnTop" does,
// read like every stored on/off value (DecodeOnOff), off when empty.
bool StayOnTopFromSwitch(const CommandLine& cmd, const std::string& storedStayOnTop);

} // namespace marrowlight
