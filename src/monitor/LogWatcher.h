#pragma once

#include <QObject>
#include <functional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class QSocketNotifier;

namespace marrowlight {

// Tells within milliseconds that a log may have changed, from the kernel's
// file notifications (inotify; elsewhere it tells nothing). Each log's file is
// watched for writes, truncation and attribute changes, and its folder for
// the name coming, going or being renamed, so rotation is noticed too.
//
// It only says "look at this log again": the pass decides what changed. Files
// on network shares send no notifications, which is why polling stays.
// Whether files on a file system of this type (statfs's f_type) can change
// without this kernel seeing it: network, cluster and FUSE file systems,
// whose writers may be elsewhere.
bool WritersMayBeElsewhere(long fileSystemType);

class LogWatcher : public QObject {
    Q_OBJECT

  public:
    // changed(path) gets a path as given to Watch, once per batch of events.
    explicit LogWatcher(std::function<void(const std::string& path)> changed,
                        QObject* parent = nullptr);
    ~LogWatcher() override;

    // Watches exactly these paths from now on. A file or folder that could
    // not be watched yet (missing) is tried again at the next call.
    void Watch(const std::vector<std::string>& paths);
    // False where the kernel gives no notifications.
    bool Active() const { return fd_ >= 0; }
    // Every path of the last Watch has its watches.
    bool Armed() const { return armed_; }
    // Tells of what the kernel reported so far now, not when the event loop
    // comes to it: a pass that leaves covered logs alone asks first.
    void TakeEvents() { ReadEvents(); }
    // The kernel tells of every change to this log: its file and its folder
    // are watched, on a file system only this machine writes to.
    bool Covers(const std::string& path) const;

  private:
    struct Log {
        std::string folder;
        std::string name;
        int fileWd = -1;
        int folderWd = -1;
        bool localFolder = false;
        bool localFile = false;
    };
    void Arm(const std::string& path, Log& log);
    // The path may name another file now: its watch follows the path.
    void ArmFile(const std::string& path, Log& log);
    // Who uses a watch; a watch nobody uses any more is removed.
    void Use(int wd, const std::string& path);
    void Release(int wd, const std::string& path);
    void ReadEvents();

    std::function<void(const std::string&)> changed_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::unordered_map<std::string, Log> logs_;
    // The paths of the last Watch, and whether each of them had its watches.
    std::vector<std::string> watched_;
    bool armed_ = false;
    // The logs of each watch, so an event costs the logs it concerns, not
    // every log: a folder of thousands of logs gets a burst of thousands.
    std::unordered_map<int, std::set<std::string>> users_;
};

} // namespace marrowlight
