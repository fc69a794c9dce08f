#pragma once

#include <QDialog>
#include <QModelIndex>
#include <QString>
#include <memory>
#include <optional>

class QFileIconProvider;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace marrowlight {

class SizeGrip;

// Lets the user pick one folder from a tree of the machine's folders. A new
// instance is made for every use; it keeps nothing between uses.
class FolderBrowseDialog : public QDialog {
    Q_OBJECT
  public:
    explicit FolderBrowseDialog(QWidget* parent = nullptr);
    ~FolderBrowseDialog() override;

    // Call before showing. A folder that does not exist (tested on the text
    // exactly as given) or cannot be found leaves the first top-level node
    // selected.
    void SetInitialFolder(const QString& folder);

    // Native path of the selected node; empty when nothing is selected.
    QString SelectedFolder() const;

    // Runs the dialog modally; the chosen folder on Ok, nothing on Cancel.
    static std::optional<QString> Browse(QWidget* parent, const QString& initialFolder);

    QTreeView* ShellTreeView = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
    SizeGrip* SizeGrip1 = nullptr;

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void CreateContents();
    void LayOut();
    void PrepareShow();
    void ShellTreeViewChange();
    void RevealPreselection();
    QModelIndex SelectedNode() const;

    // Outlives the model, whose loader thread asks it for icons.
    std::unique_ptr<QFileIconProvider> icons_;
    QFileSystemModel* model_ = nullptr;
    QString pendingReveal_;
    bool revealQueued_ = false;
};

} // namespace marrowlight
