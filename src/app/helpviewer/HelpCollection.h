#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>
#include <memory>

class QHelpEngine;

namespace marrowlight {

// What the viewer was asked to show: "file.qch::/Topic.htm", or the file alone.
struct HelpTarget {
    QString file;
    QString topic; // empty: the start page
};
HelpTarget SplitHelpArgument(const QString& argument);

// One compiled help file, opened through a help collection of its own. The
// collection lives in `collectionFolder` (a cache), never beside the help
// file, whose folder may be read-only.
class HelpCollection {
  public:
    struct Page {
        QUrl url;
        QString title;
        QString text; // plain text, for searching
    };

    HelpCollection(const QString& helpFile, const QString& collectionFolder);
    ~HelpCollection();

    bool IsOpen() const { return !namespace_.isEmpty(); }
    // Why the file could not be opened; empty when it is open.
    const QString& Error() const { return error_; }
    QHelpEngine& Engine() { return *engine_; }

    // The topic's page inside the file; invalid when it has no such page.
    QUrl TopicUrl(const QString& topic) const;
    // "Overview.htm" when the file has it, else its first page.
    QUrl StartPage() const;
    // The page or resource at a qthelp:// address; empty when there is none.
    QByteArray Data(const QUrl& url) const;
    bool Contains(const QUrl& url) const;

    const QList<Page>& Pages() const { return pages_; }
    // Pages that hold every word of `query` (letter case ignored), pages named
    // by a keyword of the index first, then by how often the words occur.
    QList<Page> Find(const QString& query) const;

  private:
    void LoadPages();

    std::unique_ptr<QHelpEngine> engine_;
    QString namespace_;
    QString error_;
    QList<Page> pages_;
};

} // namespace marrowlight
