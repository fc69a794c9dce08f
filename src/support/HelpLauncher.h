#pragma once

#include <QPointer>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <functional>

namespace marrowlight {

// Finds the compiled help file once and shows its topics in the viewer
// program marrowlight-help, a process of its own. At most one viewer started
// here is open: the last one is ended before the next starts.
class HelpLauncher {
  public:
    // Starts `program` with `arguments` in `process`; the default really starts it.
    using ViewerStarter = std::function<void(QProcess& process, const QString& program,
                                             const QStringList& arguments)>;
    using MessageBox = std::function<void(const QString& text)>;

    // `helpFileName` is a bare file name such as "marrowlight.qch"; it is
    // searched beside the program at `programPath` (by default the running one).
    explicit HelpLauncher(const QString& helpFileName, const QString& programPath = QString());
    // Leaves a running viewer open: it is the user's window now.
    ~HelpLauncher();
    HelpLauncher(const HelpLauncher&) = delete;
    HelpLauncher& operator=(const HelpLauncher&) = delete;

    // Searches the program folder, then its Help/ and Redist/ sub-folders,
    // then the data folder of an installed program (../share/marrowlight).
    void SetHelpFile(const QString& name);
    // An empty topic opens the file's start page.
    void ShowTopic(const QString& topic);
    void CloseViewer();

    // Empty when no help file was found.
    const QString& HelpFilePath() const { return helpFilePath_; }
    const QString& HelpFileName() const { return helpFileName_; }
    // The viewer started last while it still runs; null otherwise.
    QProcess* ViewerProcess() const { return viewer_; }
    // marrowlight-help beside the program, else the one on PATH.
    QString ViewerProgram() const;

    // While true, CloseViewer ends the viewer started last.
    bool CloseViewerFirst = true;
    ViewerStarter StartViewer;
    // Shows a failure to the user; by default a message box titled "Marrowlight".
    MessageBox ShowMessage;

  private:
    QString programFolder_;
    QString helpFilePath_;
    QString helpFileName_;
    QPointer<QProcess> viewer_;
};

} // namespace marrowlight
