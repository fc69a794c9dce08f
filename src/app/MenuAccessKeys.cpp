#include "app/MenuAccessKeys.h"

#include "support/core/AccessKeys.h"

#include <QAction>
#include <QList>
#include <QMenu>
#include <QMenuBar>
#include <QVariant>

namespace marrowlight {
namespace {

void Assign(const QList<QAction*>& actions) {
    QList<QAction*> items;
    std::vector<MenuCaption> captions;
    for (QAction* action : actions) {
        if (action->isSeparator() || action->text().isEmpty())
            continue;
        items << action;
        captions.push_back(
            {action->text().toStdString(), !action->property(TransientCaptionProperty).toBool()});
    }
    const std::vector<std::string> assigned = AssignAccessKeys(captions);
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QString text = QString::fromStdString(assigned[std::size_t(i)]);
        if (items[i]->text() != text)
            items[i]->setText(text);
    }
}

} // namespace

void AssignMenuAccessKeys(QMenu& menu) {
    Assign(menu.actions());
}

void AssignMenuAccessKeys(QMenuBar& bar) {
    Assign(bar.actions());
}

} // namespace marrowlight
