#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace marrowlight {

// The paths of the logs last opened by hand, newest first. Each path is kept
// as it was added: bytes, case and blanks untouched.
class FileHistoryList {
  public:
    static constexpr std::size_t DefaultCapacity = 5;

    // A stored list may have been written by hand or by another version: blank
    // entries are dropped and the rest cut to the capacity, oldest going first.
    explicit FileHistoryList(std::vector<std::string> stored = {},
                             std::size_t capacity = DefaultCapacity);

    // Puts the path at the top, dropping the oldest when the list is full. A
    // path that is already listed (SamePath: trimmed, case by the platform's
    // rule) keeps its place, and a blank path is not added; both return false.
    bool AddFile(const std::string& path);

    const std::vector<std::string>& Entries() const { return entries_; }
    std::size_t Capacity() const { return capacity_; }

  private:
    std::vector<std::string> entries_;
    std::size_t capacity_;
};

} // namespace marrowlight
