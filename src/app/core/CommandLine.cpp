#include "app/core/CommandLine.h"

#include "support/core/TextUtils.h"

#include <stdexcept>
#include <utility>

namespace marrowlight {

CommandLine::CommandLine(std::vector<std::string> args) : args_(std::move(args)) {
    if (args_.empty())
        args_.emplace_back();
}

bool CommandLine::SwitchPresent(std::string_view name) const {
    for (std::size_t i = 1; i < args_.size(); ++i) {
        if (ParamMatchesSwitch(args_[i], name))
            return true;
    }
    return false;
}

std::string CommandLine::SwitchValue(std::string_view name) const {
    for (std::size_t i = args_.size(); i > 1; --i) {
        const std::string& param = args_[i - 1];
        if (!ParamMatchesSwitch(param, name))
            continue;
        std::string value = param.substr(name.size());
        if (!value.empty() && value.front() == ':')
            value.erase(0, 1);
        return value;
    }
    return {};
}

std::size_t CommandLine::ParamCount() const {
    return args_.size() - 1;
}

const std::string& CommandLine::Param(std::size_t index) const {
    if (index == 0 || index >= args_.size())
        throw std::out_of_range("command-line parameter " + std::to_string(index));
    return args_[index];
}

const std::string& CommandLine::ProgramPath() const {
    return args_.front();
}

bool IsConnectionProbe(const std::vector<std::string>& args) {
    return args.size() == 2 && ParamMatchesSwitch(args[1], "/CheckInternet");
}

bool IsSwitchLead(char c) {
#ifdef _WIN32
    return c == '-' || c == '/';
#else
    return c == '-';
#endif
}

bool ParamMatchesSwitch(std::string_view param, std::string_view name) {
    if (name.empty() || param.size() < name.size() || !IsSwitchLead(param.front()))
        return false;
    // Either lead character counts: "/x" matches "-x" on Windows.
    return UpperCaseText(param.substr(1, name.size() - 1)) == UpperCaseText(name.substr(1));
}

const std::vector<SettingSwitch>& SettingSwitches() {
    static const std::vector<SettingSwitch> table = {
        {"-a", SwitchKind::OnOff, "OpenCloseLogsAutomaticallyMnu"},
        {"-g0", SwitchKind::OnOff, "AllEntriesMnu"},
        {"-g1", SwitchKind::OnOff, "InformationMnu"},
        {"-g2", SwitchKind::OnOff, "WarningsMnu"},
        {"-g3", SwitchKind::OnOff, "ErrorsMnu"},
        {"-d", SwitchKind::Text, "LogFolderEdt"},
        {"-i1", SwitchKind::OnOff, "MatchDateChk"},
        {"-i2", SwitchKind::OnOff, "MatchMaskChk"},
        {"-i3", SwitchKind::OnOff, "MatchWildcardsChk"},
        {"-m", SwitchKind::Text, "FileMasksEdt"},
        {"-n", SwitchKind::Text, "MatchWildcardsEdt"},
        {"-x", SwitchKind::Text, "Group1Edt"},
        {"-y", SwitchKind::Text, "Group2Edt"},
        {"-z", SwitchKind::Text, "Group3Edt"},
        {"-r", SwitchKind::OnOff, "LastEntriesAtTopChk"},
        {"-sn", SwitchKind::OnOff, "ShowLineNumbersChk"},
        {"-st", SwitchKind::OnOff, "ShowLineTimeChk"},
        {"-kf", SwitchKind::OnOff, "KeepModifedLogFocusedMnu"},
    };
    return table;
}

bool MatchesAnySwitch(std::string_view param) {
    for (std::string_view name : {"-ot", "-c", "-f", "-h"}) {
        if (ParamMatchesSwitch(param, name))
            return true;
    }
    for (const SettingSwitch& s : SettingSwitches()) {
        if (ParamMatchesSwitch(param, s.name))
            return true;
    }
    return false;
}

std::optional<bool> CheckFromSwitch(const CommandLine& cmd, std::string_view name) {
    const std::string value = cmd.SwitchValue(name);
    if (value.empty())
        return std::nullopt;
    return IsOnValue(value);
}

std::optional<std::string> EditFromSwitch(const CommandLine& cmd, std::string_view name) {
    if (!cmd.SwitchPresent(name))
        return std::nullopt;
    return cmd.SwitchValue(name);
}

} // namespace marrowlight
