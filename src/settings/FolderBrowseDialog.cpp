#include "settings/FolderBrowseDialog.h"

#include "support/SizeGrip.h"
#include "support/core/TextUtils.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

namespace marrowlight {

namespace {

constexpr int DesignWidth = 373;
constexpr int DesignHeight = 397;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 25;
constexpr int ButtonBottomGap = 8;
constexpr int TreeBottomGap = 2 * ButtonBottomGap + ButtonHeight;

constexpr Qt::WindowFlags WindowFlags = Qt::Dialog | Qt::WindowTitleHint |
                                        Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                        Qt::WindowMaximizeButtonHint;

} // namespace

FolderBrowseDialog::FolderBrowseDialog(QWidget* parent) : QDialog(parent, WindowFlags) {
    setObjectName("DirectoryBrowseFrm");
    setWindowTitle("Directories");
    setSizeGripEnabled(false); // SizeGrip1 draws the corner instead

    model_ = new QFileSystemModel(this);
    model_->setOption(QFileSystemModel::DontWatchForChanges);
    // Qt's default provider knows only the icon theme, which a desktop may
    // lack; this one falls back to the style's folder and drive icons.
    icons_ = std::make_unique<QFileIconProvider>();
    model_->setIconProvider(icons_.get());
    // Logs often live under hidden folders (~/.local/share, ~/.cache).
    model_->setFilter(QDir::Dirs | QDir::Drives | QDir::Hidden | QDir::NoDotAndDotDot);
    model_->setRootPath(QDir::rootPath());
    // Listings arrive and get sorted after the preselection was made, moving
    // it; follow it until the user takes over.
    connect(model_, &QFileSystemModel::directoryLoaded, this,
            &FolderBrowseDialog::RevealPreselection);
    connect(model_, &QAbstractItemModel::layoutChanged, this,
            &FolderBrowseDialog::RevealPreselection);

    ShellTreeView = new QTreeView(this);
    ShellTreeView->setObjectName("ShellTreeView");
    ShellTreeView->setAccessibleName("Folders");
    ShellTreeView->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        ShellTreeView->hideColumn(column);
    ShellTreeView->setHeaderHidden(true);
    ShellTreeView->setIndentation(19);
    ShellTreeView->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(ShellTreeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FolderBrowseDialog::ShellTreeViewChange);
    connect(ShellTreeView->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
            [this] { pendingReveal_.clear(); });

    OkButton = new QPushButton("Ok", this);
    OkButton->setObjectName("OkBtn");
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);

    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setObjectName("CancelBtn");
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    for (QPushButton* button : {OkButton, CancelButton})
        button->resize(ButtonWidth, ButtonHeight);

    SizeGrip1 = new SizeGrip(this);
    SizeGrip1->setObjectName("SizeGrip1");

    resize(DesignWidth, DesignHeight);
    CreateContents();
    LayOut();
    ShellTreeViewChange();
}

FolderBrowseDialog::~FolderBrowseDialog() {
    delete model_; // before the icon provider it uses
}

void FolderBrowseDialog::CreateContents() {
    setMinimumSize(size());
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

void FolderBrowseDialog::LayOut() {
    const int middle = width() / 2;
    const int buttonTop = height() - ButtonBottomGap - ButtonHeight;
    OkButton->move(middle - OkButton->width() - 2, buttonTop);
    CancelButton->move(middle, buttonTop);
    ShellTreeView->setGeometry(0, 0, width(), height() - TreeBottomGap);
}

void FolderBrowseDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    LayOut();
}

void FolderBrowseDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PrepareShow();
}

void FolderBrowseDialog::PrepareShow() {
    ShellTreeView->setFocus();
    ShellTreeViewChange();
}

void FolderBrowseDialog::SetInitialFolder(const QString& folder) {
    const QModelIndex firstNode = model_->index(0, 0, QModelIndex());
    if (firstNode.isValid())
        ShellTreeView->setCurrentIndex(firstNode);

    // The existence test sees the text as given, so an entry with a stray
    // leading blank does not count as a folder.
    if (QFileInfo(folder).isDir()) {
        const QString trimmed = QString::fromStdString(TrimText(folder.toStdString()));
        // index() builds the nodes down to the folder at once; the listings
        // around it arrive later from the model's loader thread.
        const QModelIndex node = model_->index(QFileInfo(trimmed).absoluteFilePath());
        if (node.isValid()) {
            ShellTreeView->setCurrentIndex(node);
            pendingReveal_ = model_->filePath(node);
        }
    }

    const QModelIndex selected = SelectedNode();
    if (selected.isValid())
        ShellTreeView->scrollTo(selected);
}

void FolderBrowseDialog::RevealPreselection() {
    if (pendingReveal_.isEmpty() || revealQueued_)
        return;
    // The model sorts a fresh listing on a zero timer of its own: scroll once
    // that has run, not before.
    revealQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        revealQueued_ = false;
        const QModelIndex selected = SelectedNode();
        if (!selected.isValid() || model_->filePath(selected) != pendingReveal_)
            pendingReveal_.clear();
        else
            ShellTreeView->scrollTo(selected);
    });
}

QModelIndex FolderBrowseDialog::SelectedNode() const {
    const QModelIndexList rows = ShellTreeView->selectionModel()->selectedRows();
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

void FolderBrowseDialog::ShellTreeViewChange() {
    const QModelIndex selected = SelectedNode();
    // Only a folder that is really there can be handed back.
    const bool isFolder = model_->rowCount(QModelIndex()) > 0 && selected.isValid() &&
                          QFileInfo(model_->filePath(selected)).isDir();
    OkButton->setEnabled(isFolder);
}

QString FolderBrowseDialog::SelectedFolder() const {
    const QModelIndex selected = SelectedNode();
    return selected.isValid() ? QDir::toNativeSeparators(model_->filePath(selected)) : QString();
}

std::optional<QString> FolderBrowseDialog::Browse(QWidget* parent, const QString& initialFolder) {
    FolderBrowseDialog dialog(parent);
    dialog.SetInitialFolder(initialFolder);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QString folder = dialog.SelectedFolder();
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

} // namespace marrowlight
