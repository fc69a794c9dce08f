#pragma once

#include "monitor/core/TObjectInfo.h"
#include "monitor/core/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

namespace marrowlight {

class OpenFile;

// Where one line's bytes are in the log (without its line end), and its
// highest group once that is known. Membership bits are a scratch area of the
// reading pass; they are not part of the row.
struct LineEntry {
    uint64_t Offset = 0;
    uint64_t Bits = 0; // low 56 bits: length in bytes; high 8 bits: flags

    static constexpr uint64_t LengthMask = (uint64_t{1} << 56) - 1;
    static constexpr uint64_t HasRecordFlag = uint64_t{1} << 56;
    static constexpr int MembershipShift = 57; // bits 57..59: membership of groups 1..3
    static constexpr uint64_t GroupKnownFlag = uint64_t{1} << 60;
    static constexpr int GroupShift = 61; // bits 61..62: the highest group, 0..3

    LineEntry() = default;
    LineEntry(uint64_t offset, uint64_t length) : Offset(offset), Bits(length & LengthMask) {}
    uint64_t Length() const { return Bits & LengthMask; }
    bool HasRecord() const { return (Bits & HasRecordFlag) != 0; }
    // Bit g-1 set when the line is in group g; only valid where the pass computed it.
    unsigned Membership() const { return static_cast<unsigned>(Bits >> MembershipShift) & 7u; }
    void SetMembership(unsigned groups) {
        Bits =
            (Bits & ~(uint64_t{7} << MembershipShift)) | (uint64_t{groups & 7u} << MembershipShift);
    }
    // The highest group the whole line is in (0 for none), or -1 while no
    // one has tested its keywords.
    int Group() const {
        return Bits & GroupKnownFlag ? static_cast<int>((Bits >> GroupShift) & 3u) : -1;
    }
    void SetGroup(int group) {
        Bits = (Bits & ~(uint64_t{3} << GroupShift)) | GroupKnownFlag |
               (uint64_t(group & 3) << GroupShift);
    }
};

// The rows of one log list: 16 bytes a line whatever its length, with the
// line records of the rows that arrived by a pass kept in a parallel deque
// over the contiguous row range they span. Both ends grow in O(1) amortised.
//
// The index also keeps the file its offsets refer to (an open descriptor),
// so rows keep reading the old file's bytes after the path is rotated.
class LineIndex {
  public:
    LineIndex() = default;
    LineIndex(LineIndex&&) noexcept = default;
    LineIndex& operator=(LineIndex&&) noexcept = default;
    LineIndex(const LineIndex&) = delete;
    LineIndex& operator=(const LineIndex&) = delete;

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    const LineEntry& operator[](size_t row) const { return entries_[row]; }
    LineEntry& operator[](size_t row) { return entries_[row]; }

    void push_back(const LineEntry& line) {
        entries_.push_back(line);
        entries_.back().Bits &= ~LineEntry::HasRecordFlag;
    }
    void push_back(const LineEntry& line, const TObjectInfo& record);
    void push_front(const LineEntry& line);
    void push_front(const LineEntry& line, const TObjectInfo& record);
    void pop_front();
    void pop_back();
    // Keeps rows [first, first + count); records are kept with their rows.
    void KeepRange(size_t first, size_t count);
    void Reverse();
    // Empties the rows and forgets the file.
    void clear();

    // Rows in order, for passes over a whole index.
    using iterator = std::deque<LineEntry>::iterator;
    iterator begin() { return entries_.begin(); }
    iterator end() { return entries_.end(); }

    // Null when the row has no record.
    const TObjectInfo* Record(size_t row) const;

    // A row's highest group (0 for none, 1..3), -1 until it is known: the
    // reading pass keeps it where it tested the row's keywords anyway, the
    // drawing where it had to test them itself. Kept in two bits a row.
    int Group(size_t row) const { return row < entries_.size() ? entries_[row].Group() : -1; }
    void SetGroup(size_t row, int group) {
        if (row < entries_.size())
            entries_[row].SetGroup(group);
    }

    // The file the offsets refer to, and how its bytes are decoded.
    void SetSource(std::shared_ptr<const OpenFile> file, LogEncoding encoding);
    const std::shared_ptr<const OpenFile>& Source() const { return source_; }
    LogEncoding Encoding() const { return encoding_; }
    // Changes whenever the rows come to describe another file or are cleared,
    // so caches of decoded text know when to drop their entries.
    uint64_t SourceId() const { return sourceId_; }

  private:
    void MarkRecord(LineEntry& line);
    void NewSourceId();

    std::deque<LineEntry> entries_;
    std::deque<TObjectInfo> records_; // rows [recordsFirst_, recordsFirst_ + records_.size())
    size_t recordsFirst_ = 0;
    std::shared_ptr<const OpenFile> source_;
    LogEncoding encoding_ = LogEncoding::Unknown;
    uint64_t sourceId_ = 0;
};

} // namespace marrowlight
