#pragma once

#include "monitor/core/FileSource.h"
#include "monitor/core/LineIndex.h"
#include "monitor/core/LineTextSource.h"
#include "monitor/core/PassProgress.h"
#include "monitor/core/ViewSettings.h"
#include "support/core/Clock.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace marrowlight::testing {

struct FakeViewSettings : ViewSettings {
    bool allEntries = true;
    std::array<bool, 3> shown{true, true, true};
    std::array<std::string, 3> keywords{"2006", "Warn;warn", "Error;error"};
    std::array<bool, 3> regex{};
    bool atTop = false;
    bool addedOnly = false;
    bool forced = false;

    bool AllEntries() const override { return allEntries; }
    bool GroupShown(int g) const override { return shown[g - 1]; }
    std::string GroupKeywords(int g) const override { return keywords[g - 1]; }
    bool GroupUsesRegex(int g) const override { return regex[g - 1]; }
    bool LastEntriesAtTop() const override { return atTop; }
    bool AddedLogLinesOnly() const override { return addedOnly; }
    bool AllLogLines() const override { return !addedOnly; }
    bool UpdateForced() const override { return forced; }
};

struct FixedClock : Clock {
    DateTime value = 45000.5;
    DateTime Now() const override { return value; }
};

struct RecordingProgress : PassProgress {
    std::vector<std::string> texts;
    void ShowProgress(const std::string& text, bool) override { texts.push_back(text); }
};

// A folder under /tmp removed with everything in it.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "mlt-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
inline void AppendFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::app) << bytes;
}

inline std::vector<std::string> Texts(const LineIndex& lines) {
    LineTextSource source;
    std::vector<std::string> out;
    for (size_t i = 0; i < lines.size(); ++i)
        out.push_back(source.Text(lines, i));
    return out;
}

inline std::vector<int> Numbers(const LineIndex& lines) {
    std::vector<int> out;
    for (size_t i = 0; i < lines.size(); ++i)
        out.push_back(lines.Record(i) ? lines.Record(i)->LineNo : 0);
    return out;
}

// A log in memory that counts the bytes read from it.
struct MemoryFile : OpenFile {
    std::optional<LogStamp> Stat() const override { return LogStamp{0, data.size(), {}}; }
    ssize_t ReadAt(uint64_t offset, void* buffer, size_t count) const override {
        const size_t n = offset >= data.size() ? 0 : std::min(count, data.size() - offset);
        std::memcpy(buffer, data.data() + offset, n);
        bytesRead += n;
        return static_cast<ssize_t>(n);
    }
    std::string data;
    mutable uint64_t bytesRead = 0;
};

} // namespace marrowlight::testing
