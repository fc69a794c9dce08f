#include "monitor/core/JournalProducer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/stat.h>
#include <sys/timerfd.h>
#include <systemd/sd-id128.h>
#include <systemd/sd-journal.h>
#include <unistd.h>
#include <utility>

namespace marrowlight {
namespace {

constexpr std::size_t FlushBytes = 256 * 1024;
constexpr int EntriesBetweenClockChecks = 64;
// Microseconds: the largest moment journalctl still formats (year 9999).
constexpr uint64_t LatestRealtime = 253402214400000000ULL;

const std::string PermissionText =
    "Journal can't be read: permission denied. Ask to join the systemd-journal group.";

std::string_view FileName(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool IsJournalFileName(std::string_view name) {
    const auto endsWith = [name](std::string_view tail) {
        return name.size() > tail.size() && name.substr(name.size() - tail.size()) == tail;
    };
    return endsWith(".journal") || endsWith(".journal~");
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The journal files of a folder and of its subfolders one level down, where
// the journal keeps a folder per machine; false when the folder can't be read.
bool ListJournalFiles(const std::string& folder, std::vector<std::string>& files, int depth,
                      int& error) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        error = errno;
        return false;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + (folder.ends_with('/') ? "" : "/") + std::string(name);
        if (IsJournalFileName(name))
            files.push_back(path);
        else if (depth == 0 && IsFolder(path)) {
            int ignored = 0;
            ListJournalFiles(path, files, 1, ignored);
        }
    }
    ::closedir(dir);
    std::sort(files.begin(), files.end());
    return true;
}

std::string ErrorText(int error) {
    return std::strerror(error < 0 ? -error : error);
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        if (!text.empty())
            text += ", ";
        text += name;
    }
    return text;
}

std::string UnitName(const std::string& unit) {
    // journalctl -u takes "nginx" for "nginx.service"; so do we.
    return unit.find('.') == std::string::npos ? unit + ".service" : unit;
}

} // namespace

JournalProducer::JournalProducer(JournalSource source) : source_(std::move(source)) {
    wakeFd_ = ::epoll_create1(EPOLL_CLOEXEC);
    retryFd_ = ::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
    if (wakeFd_ >= 0 && retryFd_ >= 0) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = retryFd_;
        ::epoll_ctl(wakeFd_, EPOLL_CTL_ADD, retryFd_, &event);
    }
}

JournalProducer::JournalProducer(std::string_view address) : JournalProducer(JournalSource{}) {
    ParsedJournalAddress parsed = ParseJournalAddress(address);
    if (parsed.Source)
        source_ = std::move(*parsed.Source);
    else
        error_ = std::move(parsed.Error);
    UpdateStateText();
}

JournalProducer::~JournalProducer() {
    Close();
    if (retryFd_ >= 0)
        ::close(retryFd_);
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void JournalProducer::ArmRetry(bool on) {
    if (retryFd_ < 0)
        return;
    uint64_t expirations = 0;
    while (::read(retryFd_, &expirations, sizeof expirations) > 0) {
    }
    itimerspec period{};
    if (on)
        period.it_value.tv_sec = period.it_interval.tv_sec = 1;
    ::timerfd_settime(retryFd_, 0, &period, nullptr);
}

void JournalProducer::Close() {
    if (!journal_)
        return;
    if (journalFd_ >= 0 && wakeFd_ >= 0)
        ::epoll_ctl(wakeFd_, EPOLL_CTL_DEL, journalFd_, nullptr);
    sd_journal_close(journal_);
    journal_ = nullptr;
    journalFd_ = -1;
}

void JournalProducer::UpdateStateText() {
    if (!error_.empty()) {
        stateText_ = error_;
        return;
    }
    std::string text = openProblem_;
    for (const std::string* part : {&fileProblem_, &readProblem_}) {
        if (part->empty())
            continue;
        if (!text.empty())
            text += ' ';
        text += *part;
    }
    stateText_ = std::move(text);
}

void JournalProducer::CheckFiles(const std::vector<std::string>& files) {
    std::vector<std::string> unreadable;
    std::vector<std::string> damaged;
    for (const std::string& file : files) {
        const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM)
                unreadable.push_back(std::string(FileName(file)));
            continue;
        }
        ::close(fd);
        const char* one[] = {file.c_str(), nullptr};
        sd_journal* probe = nullptr;
        const int r = sd_journal_open_files(&probe, one, 0);
        if (r < 0)
            damaged.push_back(std::string(FileName(file)));
        else
            sd_journal_close(probe);
    }
    fileProblem_.clear();
    if (!unreadable.empty())
        fileProblem_ = "Journal can't be read: permission denied to " + Joined(unreadable) +
                       ". Ask to join the systemd-journal group.";
    if (!damaged.empty()) {
        if (!fileProblem_.empty())
            fileProblem_ += ' ';
        fileProblem_ += (damaged.size() == 1 ? "Damaged journal file, not shown: "
                                             : "Damaged journal files, not shown: ") +
                        Joined(damaged) + ".";
    }
}

bool JournalProducer::Open() {
    openProblem_.clear();
    singleFiles_.clear();
    int r = 0;
    if (source_.SourceKind == JournalSource::Kind::ThisMachine) {
        r = sd_journal_open(&journal_, SD_JOURNAL_LOCAL_ONLY);
        if (r >= 0 && !sd_journal_has_persistent_files(journal_) &&
            !sd_journal_has_runtime_files(journal_)) {
            // sd-journal skips the files it may not read without a word.
            sd_id128_t machine{};
            char id[SD_ID128_STRING_MAX];
            if (sd_id128_get_machine(&machine) >= 0) {
                sd_id128_to_string(machine, id);
                std::vector<std::string> system;
                for (const char* root : {"/var/log/journal/", "/run/log/journal/"}) {
                    const std::string path = std::string(root) + id + "/system.journal";
                    if (::access(path.c_str(), F_OK) == 0)
                        system.push_back(path);
                }
                CheckFiles(system);
            }
        }
    } else {
        std::vector<std::string> files;
        bool oneFolder = source_.Paths.size() == 1 && IsFolder(source_.Paths.front());
        for (const std::string& path : source_.Paths) {
            if (IsFolder(path)) {
                int error = 0;
                if (!ListJournalFiles(path, files, 0, error)) {
                    openProblem_ =
                        "Journal folder can't be read: " + path + ": " + ErrorText(error) + ".";
                    oneFolder = false;
                }
            } else if (::access(path.c_str(), F_OK) == 0) {
                files.push_back(path);
            } else {
                openProblem_ = "No such journal file: " + path + ".";
            }
        }
        CheckFiles(files);
        if (oneFolder) {
            // The folder itself, so that files systemd adds later are read too.
            r = sd_journal_open_directory(&journal_, source_.Paths.front().c_str(), 0);
        } else {
            // Only the files that open: one damaged file must not hide the rest.
            std::vector<const char*> good;
            for (const std::string& file : files) {
                const char* one[] = {file.c_str(), nullptr};
                sd_journal* probe = nullptr;
                if (sd_journal_open_files(&probe, one, 0) < 0)
                    continue;
                sd_journal_close(probe);
                good.push_back(file.c_str());
                struct stat st {};
                if (::stat(file.c_str(), &st) == 0)
                    singleFiles_.push_back({file, st.st_dev, st.st_ino});
            }
            if (good.empty()) {
                UpdateStateText();
                return false;
            }
            good.push_back(nullptr);
            r = sd_journal_open_files(&journal_, good.data(), 0);
        }
    }
    if (r < 0) {
        journal_ = nullptr;
        if (openProblem_.empty())
            openProblem_ = (r == -EACCES || r == -EPERM)
                               ? PermissionText
                               : "Journal can't be opened: " + ErrorText(r) + ".";
        UpdateStateText();
        return false;
    }
    // The text of a large field is not cut: a row shows the whole message.
    sd_journal_set_data_threshold(journal_, 0);
    if (!AddMatches()) {
        Close();
        openProblem_ = "The journal would not take the unit, priority or host asked for.";
        UpdateStateText();
        return false;
    }
    journalFd_ = sd_journal_get_fd(journal_);
    if (journalFd_ >= 0 && wakeFd_ >= 0) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = journalFd_;
        ::epoll_ctl(wakeFd_, EPOLL_CTL_ADD, journalFd_, &event);
    }
    UpdateStateText();
    return true;
}

bool JournalProducer::AddMatches() {
    const auto match = [this](const std::string& term) {
        return sd_journal_add_match(journal_, term.data(), term.size()) >= 0;
    };
    bool ok = true;
    if (!source_.Units.empty()) {
        for (const std::string& given : source_.Units) {
            const std::string unit = UnitName(given);
            // The unit's own lines, and what systemd says about it.
            ok = ok && match("_SYSTEMD_UNIT=" + unit) && sd_journal_add_disjunction(journal_) >= 0;
            ok = ok && match("UNIT=" + unit) && match("_PID=1") &&
                 sd_journal_add_disjunction(journal_) >= 0;
            ok = ok && match("OBJECT_SYSTEMD_UNIT=" + unit) && match("_UID=0") &&
                 sd_journal_add_disjunction(journal_) >= 0;
        }
        ok = ok && sd_journal_add_conjunction(journal_) >= 0;
    }
    if (source_.MaxPriority) {
        for (int p = 0; p <= *source_.MaxPriority && p < 8; ++p)
            ok = ok && match("PRIORITY=" + std::to_string(p));
        ok = ok && sd_journal_add_conjunction(journal_) >= 0;
    }
    if (source_.SourceKind == JournalSource::Kind::Files && !source_.Host.empty())
        ok = ok && match("_HOSTNAME=" + source_.Host);
    return ok;
}

bool JournalProducer::FileWasReplaced() const {
    for (const WatchedFile& file : singleFiles_) {
        struct stat st {};
        if (::stat(file.Path.c_str(), &st) == 0 &&
            (st.st_dev != file.Device || st.st_ino != file.Inode))
            return true;
    }
    return false;
}

void JournalProducer::RememberCursor() {
    char* cursor = nullptr;
    if (sd_journal_get_cursor(journal_, &cursor) >= 0 && cursor) {
        cursor_ = cursor;
        std::free(cursor);
    }
}

bool JournalProducer::Reposition() {
    // After the journal was opened again, the cursor is all that is left of
    // the place: go on right after the last entry shown.
    if (cursor_.empty())
        return true;
    if (sd_journal_seek_cursor(journal_, cursor_.c_str()) < 0)
        return false;
    const int r = sd_journal_next(journal_);
    // The entry at the cursor is gone (vacuumed): the one found is new.
    renderCurrent_ = r > 0 && sd_journal_test_cursor(journal_, cursor_.c_str()) <= 0;
    return true;
}

bool JournalProducer::RenderEntry(std::string& text) {
    JournalEntryFields fields;
    bool hasMessage = false;
    uint64_t sourceTime = 0;
    const void* data = nullptr;
    size_t length = 0;
    SD_JOURNAL_FOREACH_DATA(journal_, data, length) {
        const std::string_view field(static_cast<const char*>(data), length);
        const auto value = [&field](std::size_t nameLength) {
            return field.substr(nameLength + 1);
        };
        switch (field.front()) {
        case 'M':
            if (field.starts_with("MESSAGE=")) {
                fields.Message = value(7);
                hasMessage = true;
            }
            break;
        case 'S':
            if (field.starts_with("SYSLOG_IDENTIFIER="))
                fields.Identifier = value(17);
            else if (field.starts_with("SYSLOG_PID="))
                fields.SyslogPid = value(10);
            break;
        case '_':
            if (field.starts_with("_HOSTNAME="))
                fields.Hostname = value(9);
            else if (field.starts_with("_COMM="))
                fields.Command = value(5);
            else if (field.starts_with("_PID="))
                fields.Pid = value(4);
            else if (field.starts_with("_SOURCE_REALTIME_TIMESTAMP=")) {
                const std::string digits(value(26));
                char* end = nullptr;
                sourceTime = std::strtoull(digits.c_str(), &end, 10);
                if (end == digits.c_str() || *end != '\0')
                    sourceTime = 0;
            }
            break;
        default:
            break;
        }
    }
    // journalctl shows no line for an entry without a message.
    if (!hasMessage)
        return false;
    if (sourceTime > 0 && sourceTime < LatestRealtime)
        fields.RealtimeUsec = sourceTime;
    else if (sd_journal_get_realtime_usec(journal_, &fields.RealtimeUsec) < 0)
        fields.RealtimeUsec = 0;
    writer_.Append(text, fields);
    return true;
}

ProduceStatus JournalProducer::Produce(TextSink& out,
                                       std::chrono::steady_clock::time_point deadline) {
    if (!error_.empty())
        return ProduceStatus::Finished;
    if (journal_ && FileWasReplaced()) {
        // A followed file was rotated: read on in the file now at its path.
        Close();
    }
    if (!journal_) {
        const bool opened = Open();
        ArmRetry(!opened);
        if (!opened)
            return ProduceStatus::Waiting;
        if (!Reposition()) {
            readProblem_ = "The journal's place was lost; reading from its start.";
            cursor_.clear();
            UpdateStateText();
        }
    } else if (caughtUp_) {
        const int r = sd_journal_process(journal_);
        // Files added or removed (INVALIDATE): sd-journal keeps its place.
        if (r == SD_JOURNAL_NOP && !mustRead_)
            return ProduceStatus::Waiting;
        // Only what the journal got after the backlog is a new line.
        if (r != SD_JOURNAL_NOP)
            following_ = true;
        mustRead_ = false;
    }

    std::string text;
    text.reserve(FlushBytes + 64 * 1024);
    int untilClock = EntriesBetweenClockChecks;
    ProduceStatus status = ProduceStatus::More;
    bool readAny = false;
    while (true) {
        const int r = renderCurrent_ ? 1 : sd_journal_next(journal_);
        renderCurrent_ = false;
        if (r < 0) {
            readProblem_ = "Reading the journal stopped: " + ErrorText(r) + ".";
            UpdateStateText();
            status = ProduceStatus::Waiting;
            break;
        }
        if (r == 0) {
            status = ProduceStatus::Waiting;
            break;
        }
        readAny = true;
        if (RenderEntry(text))
            ++entries_;
        if (text.size() >= FlushBytes) {
            if (!out.Append(text)) {
                readProblem_ = "The journal's text could not be kept: the disk is full.";
                UpdateStateText();
                return ProduceStatus::Finished;
            }
            text.clear();
        }
        if (--untilClock == 0) {
            untilClock = EntriesBetweenClockChecks;
            if (std::chrono::steady_clock::now() >= deadline)
                break;
        }
    }
    if (!text.empty() && !out.Append(text)) {
        readProblem_ = "The journal's text could not be kept: the disk is full.";
        UpdateStateText();
        return ProduceStatus::Finished;
    }
    if (readAny)
        RememberCursor();
    // From now on each call asks sd-journal what changed first; the changes
    // made while the backlog was read keep the descriptor readable.
    if (status == ProduceStatus::Waiting && !caughtUp_) {
        caughtUp_ = true;
        // Reading the backlog left much of the journal files mapped, and
        // resident; opened afresh, only what is followed gets mapped again.
        Close();
        if (Open() && Reposition()) {
            mustRead_ = true;
            return ProduceStatus::More;
        }
        ArmRetry(true);
    }
    return status;
}

std::vector<std::string> JournalHosts(const JournalSource& source) {
    JournalSource all = source;
    all.Host.clear();
    std::vector<std::string> hosts;
    if (all.SourceKind != JournalSource::Kind::Files)
        return hosts;
    std::vector<std::string> files;
    for (const std::string& path : all.Paths) {
        int error = 0;
        if (IsFolder(path))
            ListJournalFiles(path, files, 0, error);
        else
            files.push_back(path);
    }
    for (const std::string& file : files) {
        const char* one[] = {file.c_str(), nullptr};
        sd_journal* journal = nullptr;
        if (sd_journal_open_files(&journal, one, 0) < 0)
            continue;
        if (sd_journal_query_unique(journal, "_HOSTNAME") >= 0) {
            const void* data = nullptr;
            size_t length = 0;
            SD_JOURNAL_FOREACH_UNIQUE(journal, data, length) {
                const std::string_view field(static_cast<const char*>(data), length);
                if (field.starts_with("_HOSTNAME=") && field.size() > 10)
                    hosts.emplace_back(field.substr(10));
            }
        }
        sd_journal_close(journal);
    }
    std::sort(hosts.begin(), hosts.end());
    hosts.erase(std::unique(hosts.begin(), hosts.end()), hosts.end());
    return hosts;
}

} // namespace marrowlight
