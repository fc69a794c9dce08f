#include "support/HelpLauncher.h"

#include "support/core/PathUtils.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

namespace marrowlight {

namespace {

#ifdef _WIN32
const char* const ViewerFile = "marrowlight-help.exe";
#else
const char* const ViewerFile = "marrowlight-help";
#endif

// Paths go through the one module that knows the platform's separators; the
// bytes of a file name are kept as the file system gave them.
std::string Bytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
QString Text(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString InFolder(const std::string& folder, const std::string& name) {
    return QDir::cleanPath(Text(WithTrailingSeparator(folder) + name));
}

void StartForReal(QProcess& process, const QString& program, const QStringList& arguments) {
    // The viewer may outlive us: it must not hold our output open, or whoever
    // reads it (a pipe, a test runner) would wait for the viewer too. It shows
    // its own failures in a message box.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
}

void ShowMessageBox(const QString& text) {
    QMessageBox::warning(QApplication::activeWindow(), QStringLiteral("Marrowlight"), text);
}

} // namespace

HelpLauncher::HelpLauncher(const QString& helpFileName, const QString& programPath)
    : StartViewer(StartForReal), ShowMessage(ShowMessageBox) {
    const QString program =
        programPath.isEmpty() ? QCoreApplication::applicationFilePath() : programPath;
    programFolder_ = Text(ProgramFolder(Bytes(program)));
    SetHelpFile(helpFileName);
}

HelpLauncher::~HelpLauncher() = default;

void HelpLauncher::SetHelpFile(const QString& name) {
    if (name != helpFilePath_)
        CloseViewer();
    const std::string file = Bytes(name);
    helpFileName_ = Text(FileNameOfPath(file));

    const std::string folder = Bytes(programFolder_);
    const std::string up = WithTrailingSeparator(folder + "..");
    const QString candidates[] = {
        InFolder(folder, file),
        InFolder(WithTrailingSeparator(folder + "Help"), file),
        InFolder(WithTrailingSeparator(folder + "Redist"), file),
        InFolder(WithTrailingSeparator(WithTrailingSeparator(up + "share") + "marrowlight"), file),
    };
    helpFilePath_.clear();
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isFile()) {
            helpFilePath_ = candidate;
            break;
        }
    }
}

QString HelpLauncher::ViewerProgram() const {
    const QString beside = programFolder_ + ViewerFile;
    const QFileInfo info(beside);
    if (info.isFile() && info.isExecutable())
        return beside;
    const QString onPath = QStandardPaths::findExecutable(ViewerFile);
    return onPath.isEmpty() ? QString(ViewerFile) : onPath;
}

void HelpLauncher::ShowTopic(const QString& topic) {
    if (helpFilePath_.isEmpty()) {
        if (ShowMessage)
            ShowMessage(QStringLiteral("Help file \"%1\" not found.").arg(helpFileName_));
        return;
    }
    CloseViewer();
    const QString argument = topic.isEmpty() ? helpFilePath_ : helpFilePath_ + "::/" + topic;

    // No parent: the process object outlives this launcher, so a viewer that
    // is open when Marrowlight exits stays open. It frees itself once the
    // viewer has ended, whether it ended by itself, was killed or never started.
    auto* process = new QProcess;
    QObject::connect(process, &QProcess::stateChanged, process,
                     [process](QProcess::ProcessState state) {
                         if (state == QProcess::NotRunning)
                             process->deleteLater();
                     });
    if (StartViewer)
        StartViewer(*process, ViewerProgram(), {argument});
    if (process->state() == QProcess::NotRunning) {
        // A failed start is dropped without a word, like a viewer that is missing.
        process->deleteLater();
        return;
    }
    viewer_ = process;
}

void HelpLauncher::CloseViewer() {
    if (!viewer_ || !CloseViewerFirst)
        return;
    QProcess* process = viewer_;
    viewer_ = nullptr;
    // Never waits: the process object goes once the kill has been reaped.
    process->kill();
}

} // namespace marrowlight
