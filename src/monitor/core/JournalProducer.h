#pragma once

#include "monitor/core/JournalAddress.h"
#include "monitor/core/JournalEntryText.h"
#include "monitor/core/LineProducer.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

struct sd_journal;

namespace marrowlight {

// Renders a journal's entries as lines, oldest first, then follows it: new
// entries, files that systemd rotates or vacuums, and files that appear in a
// followed folder. The journal is only ever opened for reading; sd-journal
// has no way to write one.
class JournalProducer : public LineProducer {
  public:
    explicit JournalProducer(JournalSource source);
    // A written form that does not parse gives a producer that only says why.
    explicit JournalProducer(std::string_view address);
    ~JournalProducer() override;
    JournalProducer(const JournalProducer&) = delete;
    JournalProducer& operator=(const JournalProducer&) = delete;

    ProduceStatus Produce(TextSink& out, std::chrono::steady_clock::time_point deadline) override;
    // Stays the same while the journal is opened again (an epoll descriptor
    // that holds sd-journal's own), so a caller may watch it once.
    int WakeDescriptor() const override { return wakeFd_; }
    std::string StateText() const override { return stateText_; }
    // The entries there were at the start load as a log's first lines do;
    // only those written after them are new lines, with times and alerts.
    bool Follows() const override { return following_; }

    uint64_t EntryCount() const { return entries_; }

  private:
    struct WatchedFile {
        std::string Path;
        dev_t Device = 0;
        ino_t Inode = 0;
    };

    bool Open();
    void ArmRetry(bool on);
    void Close();
    bool AddMatches();
    void CheckFiles(const std::vector<std::string>& files);
    bool FileWasReplaced() const;
    bool Reposition();
    void RememberCursor();
    bool RenderEntry(std::string& text);

    JournalSource source_;
    std::string error_; // a written form that did not parse
    sd_journal* journal_ = nullptr;
    int journalFd_ = -1;
    int wakeFd_ = -1;
    bool caughtUp_ = false;
    bool following_ = false;
    bool mustRead_ = false; // opened again: read on even if nothing was signalled
    // Readable once a second while the journal can't be opened, so that the
    // wake descriptor also brings the next try.
    int retryFd_ = -1;
    bool renderCurrent_ = false; // the entry Reposition found is still to be shown
    std::string cursor_;
    std::vector<WatchedFile> singleFiles_; // followed one by one: watched for rotation
    std::string openProblem_;              // why the journal could not be opened
    std::string fileProblem_;              // unreadable or damaged files
    std::string readProblem_;              // the last iteration error
    std::string stateText_;
    uint64_t entries_ = 0;
    JournalLineWriter writer_;
    void UpdateStateText();
};

// The machines (host names) with entries in the source's files, sorted, for
// "a tab per machine"; empty when none or the files can't be read.
std::vector<std::string> JournalHosts(const JournalSource& source);

} // namespace marrowlight
