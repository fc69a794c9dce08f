#pragma once

#include <string_view>
#include <vector>

class QLineEdit;
class QObject;

namespace marrowlight {

class CommandLine;

// An on/off switch checks or unchecks a menu item or check box; an empty
// value leaves it be. A check box changes through its click handling, so
// rules such as "line numbers or time, not both" hold. Other kinds of
// target are left alone.
void ApplySwitchToCheck(QObject* target, const CommandLine& cmd, std::string_view name);

// A present text switch replaces the edit's text, also with an empty value.
void ApplySwitchToEdit(QLineEdit* edit, const CommandLine& cmd, std::string_view name);

// Every setting switch in table order, each target found by objectName
// among the children of `roots` (the main window and the Options dialog).
void ApplySwitchOverrides(const CommandLine& cmd, const std::vector<QObject*>& roots);

} // namespace marrowlight
