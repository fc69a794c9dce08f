#pragma once

class QObject;

namespace marrowlight {

class CommandLine;
class OptionsView;

// Every setting switch in table order. A menu item target is found by its
// objectName among the children of `window`; every other target is a control
// of the Options dialog, set through `options` (none when null). An on/off
// switch with an empty value and an absent text switch leave their target be;
// a present text switch replaces the text, also with an empty value.
void ApplySwitchOverrides(const CommandLine& cmd, QObject& window, const OptionsView* options);

} // namespace marrowlight
