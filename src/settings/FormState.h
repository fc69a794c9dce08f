#pragma once

#include <string>

class QObject;

namespace marrowlight {

class SettingsKey;
class SettingsStore;

// Saves or loads the state of a dialog (or of one control handed in) in one
// walk over its containers. Each control's value is named after its path of
// container names, e.g. "Marrowlight.OptionsFrm.PageControl.GroupsTab.
// GroupBox1.Group1NameEdt". Lists, panels and list boxes are handled only when
// handed in directly. The key is opened once per walk.
void SaveFormState(QObject* component, const SettingsStore& store);
// A value that cannot be applied leaves the rest of that control unchanged;
// the other controls still load.
void LoadFormState(QObject* component, const SettingsStore& store);

void SaveComponentState(QObject* component, SettingsKey& key, const std::string& prefix,
                        bool includeLists);
void LoadComponentState(QObject* component, SettingsKey& key, const std::string& prefix,
                        bool includeLists);

// A stored list index that selects an entry of a list of `count` entries.
bool ParseListIndex(const std::string& text, int count, int& index);

} // namespace marrowlight
