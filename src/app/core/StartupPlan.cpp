#include "app/core/StartupPlan.h"

#include "monitor/core/JournalAddress.h"
#include "monitor/core/StreamProducer.h"
#include "settings/core/OnOffValue.h"
#include "support/core/TextUtils.h"

namespace marrowlight {

StartupPlan PlanFirstActivation(const CommandLine& cmd,
                                const std::function<bool(const std::string&)>& isFile) {
    // "-" stands for the standard input, even where a file of that name
    // exists; a journal source is no file, yet is opened where a file would be.
    const auto opens = [&isFile](const std::string& param) {
        return param == StandardInputAddress || IsJournalAddress(param) || isFile(param);
    };
    StartupPlan plan;
    if (cmd.ParamCount() == 1 && opens(cmd.Param(1))) {
        plan.logs.push_back(cmd.Param(1));
        return plan;
    }
    plan.applySwitches = true;
    std::string list = TrimText(cmd.SwitchValue("-f"));
    while (!list.empty()) {
        std::string piece = CutToken(list, ';');
        // An empty piece would only give a tab that can never show a log.
        if (!piece.empty())
            plan.logs.push_back(std::move(piece));
    }
    for (std::size_t i = 1; i <= cmd.ParamCount(); ++i) {
        const std::string& param = cmd.Param(i);
        if (!MatchesAnySwitch(param) && opens(param))
            plan.logs.push_back(param);
    }
    plan.hideMenu = cmd.SwitchPresent("-h");
    return plan;
}

std::string CaptionWithSuffix(const std::string& caption, const CommandLine& cmd) {
    const std::string value = cmd.SwitchValue("-c");
    if (value.empty())
        return caption;
    return caption + " [" + TrimText(value) + "]";
}

bool StayOnTopFromSwitch(const CommandLine& cmd, const std::string& storedStayOnTop) {
    if (cmd.SwitchPresent("-ot"))
        return IsOnValue(cmd.SwitchValue("-ot"));
    return DecodeOnOff(storedStayOnTop).value_or(false);
}

} // namespace marrowlight
