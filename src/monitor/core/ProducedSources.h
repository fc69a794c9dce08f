#pragma once

#include "monitor/core/FileSource.h"

#include <map>
#include <memory>
#include <string>

namespace marrowlight {

class SpoolFile;

// The logs whose text a producer makes: each tab's address (a path, "-",
// or any name its producer gives) and the spool it is read from.
class ProducedLogs {
  public:
    void Add(const std::string& address, std::shared_ptr<const SpoolFile> spool);
    void Remove(const std::string& address);
    // Null when the address is no produced log.
    const SpoolFile* Find(const std::string& address) const;
    bool Empty() const { return spools_.empty(); }

  private:
    std::map<std::string, std::shared_ptr<const SpoolFile>> spools_;
};

// The file system as the reader sees it: a produced log's address answers
// with its spool, every other path goes to the file system underneath.
class ProducedSources : public FileSource {
  public:
    ProducedSources(const ProducedLogs& logs, const FileSource& others)
        : logs_(logs), others_(others) {}

    std::optional<LogStamp> Stat(const std::string& path) const override;
    OpenResult Open(const std::string& path) const override;

  private:
    const ProducedLogs& logs_;
    const FileSource& others_;
};

} // namespace marrowlight
