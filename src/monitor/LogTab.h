#pragma once

#include "monitor/MenuImages.h"
#include "monitor/core/TPageObject.h"

#include <QString>
#include <QWidget>

namespace marrowlight {

class LineDrawer;
class LogLineDelegate;
class LogListModel;
class LogListView;

// One log tab's page: the log's record and its list, which fills the page.
class LogTab : public QWidget {
    Q_OBJECT

  public:
    LogTab(const QString& path, const LineDrawer& drawer, QWidget* parent = nullptr);
    ~LogTab() override;

    TPageObject Page;
    // The PageControl image the tab shows: NormalLog, NewLines or Unreadable.
    MenuImageIndex Image = MenuImageIndex::NormalLog;

    LogListView* ItemsLBx() const { return list_; }
    LogListModel& Model() const { return *model_; }
    LogLineDelegate& Delegate() const { return *delegate_; }
    QString FileName() const { return QString::fromStdString(Page.FileName); }

    // Font face and size in points; the item height follows the size.
    void SetListFont(const QString& face, int size);
    // Lets the view scroll sideways over width pixels.
    void SetExtentWidth(qint64 width);
    void SelectLastItem();

  private:
    LogListModel* model_;
    LogLineDelegate* delegate_;
    LogListView* list_;
};

} // namespace marrowlight
