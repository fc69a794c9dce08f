#include "monitor/core/ProducedSources.h"

#include "monitor/core/SpoolFile.h"

#include <fcntl.h>

namespace marrowlight {

void ProducedLogs::Add(const std::string& address, std::shared_ptr<const SpoolFile> spool) {
    spools_[address] = std::move(spool);
}

void ProducedLogs::Remove(const std::string& address) {
    spools_.erase(address);
}

const SpoolFile* ProducedLogs::Find(const std::string& address) const {
    const auto it = spools_.find(address);
    return it == spools_.end() ? nullptr : it->second.get();
}

std::optional<LogStamp> ProducedSources::Stat(const std::string& path) const {
    // Most logs are files: one lookup in a map that is mostly empty.
    if (logs_.Empty())
        return others_.Stat(path);
    if (const SpoolFile* spool = logs_.Find(path))
        return StatDescriptor(spool->Descriptor());
    return others_.Stat(path);
}

OpenResult ProducedSources::Open(const std::string& path) const {
    const SpoolFile* spool = logs_.Empty() ? nullptr : logs_.Find(path);
    if (!spool)
        return others_.Open(path);
    // A descriptor of its own, so rows read back what they were built from
    // even after the spool's tab is gone.
    const int fd = ::fcntl(spool->Descriptor(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0)
        return {nullptr, OpenError::Other, std::nullopt};
    return OpenDescriptor(fd);
}

} // namespace marrowlight
