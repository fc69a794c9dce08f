#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marrowlight {

// The program's parameters and the switch lookup over them. A switch name is
// written with its leading "-" ("/CheckInternet" with "/"); a parameter
// matches when it starts with a switch lead and, ignoring case, with the rest
// of the name. On Linux only "-" leads a switch, because "/" starts a path;
// on Windows "-" and "/" both do.
class CommandLine {
  public:
    // args[0] is the program path and is never examined as a switch.
    explicit CommandLine(std::vector<std::string> args);

    bool SwitchPresent(std::string_view name) const;
    // The last matching parameter without the name and one ":" after it;
    // empty when no parameter matches.
    std::string SwitchValue(std::string_view name) const;

    // Parameters without the program path.
    std::size_t ParamCount() const;
    // 1-based, like the command line itself.
    const std::string& Param(std::size_t index) const;
    const std::string& ProgramPath() const;

  private:
    std::vector<std::string> args_;
};

bool IsSwitchLead(char c);
// Whether the command line asks only for the connection probe: the switch
// "/CheckInternet" as its single parameter.
bool IsConnectionProbe(const std::vector<std::string>& args);
// Whether `param` is an occurrence of the switch `name`.
bool ParamMatchesSwitch(std::string_view param, std::string_view name);

enum class SwitchKind { OnOff, Text };

// A switch that overrides a live setting for the run.
struct SettingSwitch {
    std::string_view name;
    SwitchKind kind;
    std::string_view target; // objectName of the menu item, check box or edit
};

// The setting switches in the order they are applied.
const std::vector<SettingSwitch>& SettingSwitches();
// Whether `param` is any switch the program knows (setting switches, "-ot",
// "-c", "-f" and "-h").
bool MatchesAnySwitch(std::string_view param);

// The new check state an on/off switch asks for: nullopt when its value is
// empty (absent, or given with nothing after it), which leaves the target be.
std::optional<bool> CheckFromSwitch(const CommandLine& cmd, std::string_view name);
// The new text a text switch asks for: nullopt when the switch is absent;
// a present switch with nothing after it empties the edit.
std::optional<std::string> EditFromSwitch(const CommandLine& cmd, std::string_view name);

} // namespace marrowlight
