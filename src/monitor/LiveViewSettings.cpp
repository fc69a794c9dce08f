#include "monitor/LiveViewSettings.h"

#include "monitor/MenuChecks.h"
#include "monitor/core/LineClassifier.h"

namespace marrowlight {

LiveViewSettings::LiveViewSettings(const OptionsView& options, const MenuChecks& menu)
    : options_(options), menu_(menu) {}

bool LiveViewSettings::AllEntries() const {
    return menu_.AllEntries();
}

bool LiveViewSettings::GroupShown(int g) const {
    return menu_.GroupShown(g);
}

std::string LiveViewSettings::GroupKeywords(int g) const {
    return options_.Group(g).Keywords();
}

bool LiveViewSettings::GroupUsesRegex(int g) const {
    return options_.Group(g).RegularExpressions();
}

bool LiveViewSettings::LastEntriesAtTop() const {
    return options_.LastEntriesAtTop();
}

bool LiveViewSettings::AddedLogLinesOnly() const {
    return options_.AddedLogLinesOnly();
}

bool LiveViewSettings::AllLogLines() const {
    return options_.AllLogLines();
}

bool LiveViewSettings::UpdateForced() const {
    return options_.UpdateForced();
}

QColor LiveViewSettings::GroupColor(int group) const {
    return options_.Group(group).Colour();
}

bool LiveViewSettings::ShowLineNumbers() const {
    return options_.ShowLineNumbers();
}

bool LiveViewSettings::ShowLineTime() const {
    return options_.ShowLineTime();
}

QString LiveViewSettings::LineTimeMask() const {
    return options_.LineTimeMask();
}

bool LiveViewSettings::TerminalColours() const {
    return menu_.TerminalColours();
}

} // namespace marrowlight
