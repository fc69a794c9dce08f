#include "app/RecentFiles.h"

#include "app/MenuAccessKeys.h"
#include "monitor/core/JournalAddress.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/StoredNames.h"
#include "support/core/PathUtils.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <utility>

namespace marrowlight {
namespace {

std::vector<std::string> ReadStoredList(const SettingsStore& store) {
    try {
        return store.ReadSettingList(stored::FileHistoryList);
    } catch (const SettingsError&) {
        return {};
    }
}

// The caption shows the path decoded; "&" in a path is text, not a key mark.
QString CaptionOf(const std::string& path, std::size_t width) {
    // A journal source reads as its tab does, not as its written form.
    const ParsedJournalAddress journal =
        IsJournalAddress(path) ? ParseJournalAddress(path) : ParsedJournalAddress{};
    QString caption =
        journal.Source
            ? QFile::decodeName(QByteArray::fromStdString(JournalCaption(*journal.Source)))
            : QFile::decodeName(QByteArray::fromStdString(ShortenPath(path, width)));
    caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return caption;
}

} // namespace

RecentFiles::RecentFiles(SettingsStore& store, QObject* parent)
    : QObject(parent), store_(store), list_(ReadStoredList(store)) {}

RecentFiles::~RecentFiles() {
    // The items call back into this object; they must not outlive it.
    RemoveItems(true);
}

void RecentFiles::AttachToMenu(QMenu* parent, int insertPosition,
                               std::function<void(QAction*)> onClick) {
    RemoveItems(false);
    parent_ = parent;
    InsertPosition = insertPosition;
    onClick_ = std::move(onClick);
    RebuildMenu();
}

void RecentFiles::AddFile(const std::string& path) {
    list_.AddFile(path);
    RebuildMenu();
}

void RecentFiles::SetItemsEnabled(bool enabled) {
    enabled_ = enabled;
    RebuildMenu();
}

void RecentFiles::RemoveItems(bool deleteNow) {
    // Without the menu its items, its children, are gone already.
    if (parent_) {
        for (QAction* item : std::as_const(items_)) {
            parent_->removeAction(item);
            // Later unless told: the clicked item may be the one whose signal is running.
            if (deleteNow)
                delete item;
            else
                item->deleteLater();
        }
    }
    items_.clear();
}

void RecentFiles::RebuildMenu() {
    if (!parent_)
        return;
    RemoveItems(false);
    if (Entries().empty()) {
        AssignMenuAccessKeys(*parent_);
        return;
    }
    QAction* before = parent_->actions().value(InsertPosition, nullptr);
    auto* separator = new QAction(parent_);
    separator->setSeparator(true);
    separator->setObjectName("HistItem0");
    parent_->insertAction(before, separator);
    items_ << separator;
    int number = 1;
    for (const std::string& path : Entries()) {
        auto* item = new QAction(CaptionOf(path, CaptionWidth), parent_);
        item->setObjectName(QStringLiteral("HistItem%1").arg(number++));
        item->setData(QByteArray::fromStdString(path));
        item->setEnabled(enabled_);
        item->setProperty(TransientCaptionProperty, true);
        connect(item, &QAction::triggered, this, [this, item] {
            if (onClick_)
                onClick_(item);
        });
        parent_->insertAction(before, item);
        items_ << item;
    }
    AssignMenuAccessKeys(*parent_);
}

std::string RecentFiles::FileForMenuItem(const QAction* item) const {
    if (!item || item->isSeparator() || !items_.contains(const_cast<QAction*>(item)))
        return {};
    return item->data().toByteArray().toStdString();
}

void RecentFiles::Save() {
    store_.WriteSettingList(stored::FileHistoryList, Entries());
}

} // namespace marrowlight
