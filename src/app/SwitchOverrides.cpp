#include "app/SwitchOverrides.h"

#include "app/core/CommandLine.h"

#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QObject>
#include <QString>

namespace marrowlight {

void ApplySwitchToCheck(QObject* target, const CommandLine& cmd, std::string_view name) {
    const std::optional<bool> check = CheckFromSwitch(cmd, name);
    if (!check)
        return;
    if (auto* action = qobject_cast<QAction*>(target)) {
        action->setChecked(*check);
    } else if (auto* button = qobject_cast<QAbstractButton*>(target)) {
        if (button->isChecked() == *check)
            return;
        // click() runs the box's own handler, but does nothing while disabled.
        if (button->isEnabled())
            button->click();
        else
            button->setChecked(*check);
    }
}

void ApplySwitchToEdit(QLineEdit* edit, const CommandLine& cmd, std::string_view name) {
    if (!edit)
        return;
    if (const std::optional<std::string> text = EditFromSwitch(cmd, name))
        edit->setText(QString::fromStdString(*text));
}

namespace {

QObject* FindTarget(const std::vector<QObject*>& roots, std::string_view name) {
    const QString objectName = QString::fromLatin1(name.data(), qsizetype(name.size()));
    for (QObject* root : roots) {
        if (!root)
            continue;
        if (root->objectName() == objectName)
            return root;
        if (QObject* found = root->findChild<QObject*>(objectName))
            return found;
    }
    return nullptr;
}

} // namespace

void ApplySwitchOverrides(const CommandLine& cmd, const std::vector<QObject*>& roots) {
    for (const SettingSwitch& setting : SettingSwitches()) {
        QObject* target = FindTarget(roots, setting.target);
        if (setting.kind == SwitchKind::OnOff)
            ApplySwitchToCheck(target, cmd, setting.name);
        else
            ApplySwitchToEdit(qobject_cast<QLineEdit*>(target), cmd, setting.name);
    }
}

} // namespace marrowlight
