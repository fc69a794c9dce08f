#include "monitor/LogTab.h"

#include "monitor/LogLineDelegate.h"
#include "monitor/LogListModel.h"
#include "monitor/LogListView.h"

#include <QFile>
#include <QScrollBar>
#include <QVBoxLayout>
#include <limits>

namespace marrowlight {

LogTab::LogTab(const std::string& path, const LineDrawer& drawer, QWidget* parent)
    : QWidget(parent), model_(new LogListModel(this)), delegate_(new LogLineDelegate(drawer, this)),
      list_(new LogListView(this)) {
    Page.FileName = path;
    list_->setObjectName(QStringLiteral("ItemsLBx"));
    list_->setAccessibleName(QFile::decodeName(QByteArray::fromStdString(path)));
    list_->setItemDelegate(delegate_);
    list_->setModel(model_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(list_);
}

LogTab::~LogTab() {
    // The view goes before the model it shows.
    delete list_;
}

void LogTab::SetListFont(const QString& face, int size) {
    const int points = size > 0 ? size : 8;
    QFont font(face);
    font.setPointSize(points);
    list_->setFont(font);
    delegate_->SetItemHeight(LogLineDelegate::ItemHeightForSize(points));
}

void LogTab::SetExtentWidth(qint64 width) {
    // Qt keeps item sizes in int; a line of billions of pixels still scrolls.
    constexpr qint64 limit = std::numeric_limits<int>::max() / 2;
    delegate_->SetExtentWidth(static_cast<int>(std::min(width, limit)));
}

void LogTab::SelectLastItem() {
    const int rows = model_->rowCount();
    if (rows == 0)
        return;
    const QModelIndex last = model_->index(rows - 1);
    list_->setCurrentIndex(last);
    list_->scrollTo(last);
}

bool LogTab::ShowsLastItem() const {
    const QScrollBar* bar = list_->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

} // namespace marrowlight
