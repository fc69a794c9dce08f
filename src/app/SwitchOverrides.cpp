#include "app/SwitchOverrides.h"

#include "app/core/CommandLine.h"
#include "settings/OptionsView.h"

#include <QAction>
#include <QObject>
#include <QString>

namespace marrowlight {

namespace {

QAction* FindMenuItem(QObject& window, std::string_view name) {
    return window.findChild<QAction*>(
        QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

} // namespace

void ApplySwitchOverrides(const CommandLine& cmd, QObject& window, const OptionsView* options) {
    for (const SettingSwitch& setting : SettingSwitches()) {
        if (setting.kind == SwitchKind::OnOff) {
            const std::optional<bool> check = CheckFromSwitch(cmd, setting.name);
            if (!check)
                continue;
            if (QAction* item = FindMenuItem(window, setting.target))
                item->setChecked(*check);
            else if (options)
                options->SetCheck(setting.target, *check);
        } else if (const std::optional<std::string> text = EditFromSwitch(cmd, setting.name)) {
            if (options)
                options->SetText(setting.target, *text);
        }
    }
}

} // namespace marrowlight
