#include "monitor/LogWatcher.h"

#include "support/core/PathUtils.h"

#include <QSocketNotifier>
#include <algorithm>

#if defined(__linux__)
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>
#endif

namespace marrowlight {

bool WritersMayBeElsewhere(long fileSystemType) {
    // From linux/magic.h and the file systems' own headers.
    static constexpr unsigned long Remote[] = {
        0x6969,     // NFS
        0x517B,     // SMB
        0xFF534D42, // CIFS
        0xFE534D42, // SMB2
        0x65735546, // FUSE (sshfs, rclone, ...)
        0x01021997, // 9P
        0x00C36400, // Ceph
        0x01161970, // GFS2
        0x7461636F, // OCFS2
        0x0BD00BD0, // Lustre
        0x5346414F, // AFS
        0x6B414653, // kAFS
        0x73757245, // Coda
        0x47504653, // GPFS
        0x013111A8, // IBRIX
        0xAAD7AAEA, // PanFS
    };
    const auto type = static_cast<unsigned long>(fileSystemType) & 0xFFFFFFFFUL;
    return std::find(std::begin(Remote), std::end(Remote), type) != std::end(Remote);
}

#if defined(__linux__)

namespace {

// Writes and truncation (IN_MODIFY), a writer that closes, a change of
// permissions or of the link count, and the file renamed or removed.
constexpr uint32_t FileEvents =
    IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
// The log's name coming, going or being renamed; the folder itself going.
constexpr uint32_t FolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB |
                                  IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

LogWatcher::LogWatcher(std::function<void(const std::string&)> changed, QObject* parent)
    : QObject(parent), changed_(std::move(changed)) {
    fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return; // out of instances: polling alone finds the changes
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] { ReadEvents(); });
}

LogWatcher::~LogWatcher() {
    if (fd_ >= 0)
        ::close(fd_); // drops every watch
}

void LogWatcher::Watch(const std::vector<std::string>& paths) {
    if (fd_ < 0)
        return;
    // Every pass hands the same logs again: while each has its watches,
    // there is nothing to do.
    if (armed_ && paths == watched_)
        return;
    watched_ = paths;
    const std::set<std::string> wanted(paths.begin(), paths.end());
    for (auto it = logs_.begin(); it != logs_.end();) {
        if (wanted.count(it->first)) {
            ++it;
            continue;
        }
        const std::string path = it->first;
        const Log gone = it->second;
        it = logs_.erase(it);
        Release(gone.fileWd, path);
        Release(gone.folderWd, path);
    }
    for (const std::string& path : wanted) {
        auto [it, added] = logs_.try_emplace(path);
        if (added) {
            const std::string folder = FolderOfPath(path);
            it->second.folder = folder.empty() ? "." : folder;
            it->second.name = FileNameOfPath(path);
        }
        Arm(path, it->second);
    }
    armed_ = std::all_of(logs_.begin(), logs_.end(), [](const auto& entry) {
        return entry.second.fileWd >= 0 && entry.second.folderWd >= 0;
    });
}

bool LogWatcher::Covers(const std::string& path) const {
    const auto it = logs_.find(path);
    return it != logs_.end() && it->second.fileWd >= 0 && it->second.folderWd >= 0 &&
           it->second.localFolder && it->second.localFile;
}

void LogWatcher::Arm(const std::string& path, Log& log) {
    if (log.folderWd < 0) {
        log.folderWd = ::inotify_add_watch(fd_, log.folder.c_str(), FolderEvents | IN_MASK_ADD);
        Use(log.folderWd, path);
        struct statfs fs {};
        log.localFolder = log.folderWd >= 0 && ::statfs(log.folder.c_str(), &fs) == 0 &&
                          !WritersMayBeElsewhere(static_cast<long>(fs.f_type));
    }
    if (log.fileWd < 0) {
        ArmFile(path, log);
        // What was written before the watch came told nothing.
        if (log.fileWd >= 0)
            changed_(path);
    }
}

void LogWatcher::ArmFile(const std::string& path, Log& log) {
    // The same file under two paths gets one watch, shared by both logs.
    const int wd = ::inotify_add_watch(fd_, path.c_str(), FileEvents | IN_MASK_ADD);
    const int old = log.fileWd;
    log.fileWd = wd;
    armed_ = armed_ && wd >= 0;
    if (old == wd)
        return;
    Use(wd, path);
    Release(old, path); // the file the path named before, rotated away
    // A link may lead from a local folder to a file on a share.
    struct statfs fs {};
    log.localFile = wd >= 0 && ::statfs(path.c_str(), &fs) == 0 &&
                    !WritersMayBeElsewhere(static_cast<long>(fs.f_type));
}

void LogWatcher::Use(int wd, const std::string& path) {
    if (wd >= 0)
        users_[wd].insert(path);
}

void LogWatcher::Release(int wd, const std::string& path) {
    const auto it = users_.find(wd);
    if (it == users_.end())
        return;
    it->second.erase(path);
    if (it->second.empty()) {
        users_.erase(it);
        ::inotify_rm_watch(fd_, wd);
    }
}

void LogWatcher::ReadEvents() {
    // Everything queued is taken in one go, so a burst of writes asks for one
    // pass; the names are collected first, since the callback may watch anew.
    std::set<std::string> touched;
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        if (got <= 0)
            break; // EAGAIN: all read
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                // Events were lost: every log may have changed.
                for (auto& [path, log] : logs_) {
                    touched.insert(path);
                    ArmFile(path, log);
                }
                continue;
            }
            const auto users = users_.find(event->wd);
            if (users == users_.end())
                continue;
            const std::string name = event->len ? std::string(event->name) : std::string();
            const bool gone = event->mask & (IN_MOVE_SELF | IN_DELETE_SELF | IN_IGNORED);
            if (gone && (event->mask & IN_IGNORED)) {
                // The kernel dropped the watch itself: nobody may remove it again.
                const std::set<std::string> paths = std::move(users->second);
                users_.erase(users);
                for (const std::string& path : paths) {
                    Log& log = logs_.at(path);
                    touched.insert(path);
                    if (log.fileWd == event->wd) {
                        log.fileWd = -1;
                        ArmFile(path, log);
                    }
                    if (log.folderWd == event->wd) {
                        log.folderWd = -1; // watched again at the next Watch
                        armed_ = false;
                    }
                }
                continue;
            }
            // ArmFile below changes the set being walked.
            const std::vector<std::string> paths(users->second.begin(), users->second.end());
            for (const std::string& path : paths) {
                Log& log = logs_.at(path);
                if (event->wd == log.fileWd) {
                    touched.insert(path);
                    if (gone)
                        ArmFile(path, log);
                } else if (event->wd == log.folderWd) {
                    if (gone) {
                        // The folder went: watched again at the next Watch.
                        Release(log.folderWd, path);
                        log.folderWd = -1;
                        armed_ = false;
                        touched.insert(path);
                    } else if (name == log.name) {
                        touched.insert(path);
                        ArmFile(path, log);
                    }
                }
            }
        }
    }
    for (const std::string& path : touched)
        if (logs_.count(path))
            changed_(path);
}

#else

LogWatcher::LogWatcher(std::function<void(const std::string&)> changed, QObject* parent)
    : QObject(parent), changed_(std::move(changed)) {}

LogWatcher::~LogWatcher() = default;

void LogWatcher::Watch(const std::vector<std::string>&) {}
bool LogWatcher::Covers(const std::string&) const {
    return false;
}
void LogWatcher::Arm(const std::string&, Log&) {}
void LogWatcher::ArmFile(const std::string&, Log&) {}
void LogWatcher::Use(int, const std::string&) {}
void LogWatcher::Release(int, const std::string&) {}
void LogWatcher::ReadEvents() {}

#endif

} // namespace marrowlight
