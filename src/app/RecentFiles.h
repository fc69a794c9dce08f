#pragma once

#include "app/core/FileHistoryList.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace marrowlight {

class SettingsStore;

// The logs last opened with "Open Log", shown as items of the File menu and
// kept in the store under "FileHistoryList" (newest first). The main window
// owns one for the whole run.
class RecentFiles : public QObject {
    Q_OBJECT

  public:
    // Loads the entries; a list that cannot be read counts as empty, so a
    // damaged store does not keep the monitor from starting.
    explicit RecentFiles(SettingsStore& store, QObject* parent = nullptr);
    ~RecentFiles() override;

    // Items go into `parent` at `insertPosition`: a separator "HistItem0",
    // then "HistItem1".. newest first. A click calls `onClick` with the item.
    void AttachToMenu(QMenu* parent, int insertPosition, std::function<void(QAction*)> onClick);
    void AddFile(const std::string& path);
    void SetItemsEnabled(bool enabled);
    void RebuildMenu();
    // The path the item was built for, exactly as listed; "" for any other item.
    std::string FileForMenuItem(const QAction* item) const;
    // Writes the entries back; throws SettingsError when the store refuses.
    void Save();

    const std::vector<std::string>& Entries() const { return list_.Entries(); }
    int ItemCount() const { return int(items_.size()); }
    bool ItemsEnabled() const { return enabled_; }

    int InsertPosition = 0;
    std::size_t CaptionWidth = 40;

  private:
    void RemoveItems(bool deleteNow);

    SettingsStore& store_;
    FileHistoryList list_;
    QPointer<QMenu> parent_;
    std::function<void(QAction*)> onClick_;
    bool enabled_ = true;
    // What the last build inserted, separator first; removed by identity, so
    // items others add to the menu are never taken for ours.
    QList<QAction*> items_;
};

} // namespace marrowlight
