#pragma once

#include <QList>
#include <QMainWindow>
#include <QTextBrowser>
#include <QUrl>

class QAction;
class QHelpContentWidget;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QToolBar;

namespace marrowlight {

class HelpCollection;

// A text browser whose pages and style sheets come out of the help file.
class HelpBrowser : public QTextBrowser {
  public:
    HelpBrowser(HelpCollection& help, QWidget* parent);
    QVariant loadResource(int type, const QUrl& name) override;
    // A link of the page shown, made absolute.
    QUrl Resolve(const QUrl& link) const;

  private:
    HelpCollection& help_;
};

// The window of marrowlight-help: the contents and a search on the left, the
// page on the right, Back, Forward and Home above it.
class HelpViewerWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit HelpViewerWindow(HelpCollection& help, QWidget* parent = nullptr);

    // "Options.htm" or "Logs.htm#gutter"; an empty topic shows the start page,
    // and so does an unknown one, which answers false.
    bool ShowTopic(const QString& topic);
    // As a click: a page of the help file opens here, any other address in the
    // desktop's web browser.
    void FollowLink(const QUrl& link);

    struct Link {
        QUrl url;
        bool internal = false; // into the help file
        bool resolves = false; // the page, and the anchor when one is named, exist
    };
    // The distinct links of the page shown.
    QList<Link> PageLinks() const;
    QString PageTitle() const;

    HelpBrowser* Browser = nullptr;
    QToolBar* NavigationBar = nullptr;
    QAction* BackAct = nullptr;
    QAction* ForwardAct = nullptr;
    QAction* HomeAct = nullptr;
    QHelpContentWidget* ContentsTree = nullptr;
    QLineEdit* SearchField = nullptr;
    QListWidget* FoundList = nullptr;

  private:
    void Search(const QString& query);
    void OpenFound(QListWidgetItem* item);
    void PageChanged(const QUrl& url);
    bool HasAnchor(const QUrl& url) const;

    HelpCollection& help_;
    QUrl home_;
};

} // namespace marrowlight
