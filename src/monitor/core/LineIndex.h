#pragma once

#include "monitor/core/LineBlock.h"
#include "monitor/core/LineRecord.h"
#include "monitor/core/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <memory>

namespace marrowlight {

class OpenFile;

// The rows of one log list in blocks of 64 (LineBlock): under 4 bytes a
// line of a bulk load, with the line records of the rows that arrived by a
// pass kept in a parallel deque over the contiguous row range they span. Both
// ends grow in O(1); a row is found in O(1), its offset summed within its
// block. Rows are handed out as values: nothing may keep a reference.
//
// The index also keeps the file its offsets refer to (an open descriptor),
// so rows keep reading the old file's bytes after the path is rotated.
class LineIndex {
  public:
    LineIndex() = default;
    LineIndex(LineIndex&& other) noexcept;
    LineIndex& operator=(LineIndex&& other) noexcept;
    LineIndex(const LineIndex&) = delete;
    LineIndex& operator=(const LineIndex&) = delete;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    LineEntry operator[](size_t row) const;

    void push_back(const LineEntry& line) {
        const size_t at = head_ + size_;
        if (size_ == 0 || at % LineBlock::Slots == 0 ||
            !blocks_.back().TryAppend(static_cast<unsigned>(at % LineBlock::Slots), backOffset_,
                                      line)) {
            AddBack(line);
            return;
        }
        backOffset_ = line.Offset;
        ++size_;
    }
    void push_back(const LineEntry& line, const LineRecord& record);
    void push_front(const LineEntry& line) {
        Prepend(line);
        if (!records_.empty())
            ++recordsFirst_;
    }
    void push_front(const LineEntry& line, const LineRecord& record);
    void pop_front();
    void pop_back();
    // Keeps rows [first, first + count); records are kept with their rows.
    void KeepRange(size_t first, size_t count);
    void Reverse();
    // Empties the rows and forgets the file.
    void clear();

    // Rows in order, as values, each step O(1): for passes over a whole
    // index, where operator[] would sum each row's block again.
    class const_iterator {
      public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = LineEntry;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = LineEntry;

        const_iterator() = default;
        LineEntry operator*() const { return block_->Entry(slot_, offset_); }
        const_iterator& operator++() {
            if (++row_ < index_->size_) {
                if (slot_ + 1 < LineBlock::Slots)
                    offset_ = block_->NextOffset(slot_++, offset_);
                else
                    Seek();
            }
            return *this;
        }
        const_iterator& operator--() {
            if (row_-- < index_->size_ && slot_ > 0)
                offset_ = block_->PrevOffset(slot_--, offset_);
            else
                Seek();
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator was = *this;
            ++*this;
            return was;
        }
        const_iterator operator--(int) {
            const_iterator was = *this;
            --*this;
            return was;
        }
        bool operator==(const const_iterator& other) const { return row_ == other.row_; }
        size_t Row() const { return row_; }

      private:
        friend class LineIndex;
        const_iterator(const LineIndex* index, size_t row) : index_(index), row_(row) { Seek(); }
        // Finds row_ from scratch.
        void Seek();

        const LineIndex* index_ = nullptr;
        size_t row_ = 0;
        // Where row_ is, while it is a row.
        const LineBlock* block_ = nullptr;
        unsigned slot_ = 0;
        uint64_t offset_ = 0;
    };
    const_iterator begin() const { return const_iterator(this, 0); }
    // At a row, to walk on from there.
    const_iterator At(size_t row) const { return const_iterator(this, row); }
    const_iterator end() const { return const_iterator(this, size_); }

    // Gives a row of the index its record.
    void SetRecord(size_t row, const LineRecord& record);
    // Null when the row has no record.
    const LineRecord* Record(size_t row) const {
        if (records_.empty() || row < recordsFirst_ || row - recordsFirst_ >= records_.size() ||
            row >= size_)
            return nullptr;
        const RecordSlot& slot = records_[row - recordsFirst_];
        return slot.Has ? &slot.Info : nullptr;
    }

    // A row's highest group (0 for none, 1..3), -1 until it is known: the
    // reading pass keeps it where it tested the row's keywords anyway, the
    // drawing where it had to test them itself. Kept in two bits a row.
    int Group(size_t row) const;
    void SetGroup(size_t row, int group);

    // The file the offsets refer to, and how its bytes are decoded.
    void SetSource(std::shared_ptr<const OpenFile> file, LogEncoding encoding);
    const std::shared_ptr<const OpenFile>& Source() const { return source_; }
    LogEncoding Encoding() const { return encoding_; }
    // Changes whenever the rows come to describe another file or are cleared,
    // so caches of decoded text know when to drop their entries.
    uint64_t SourceId() const { return sourceId_; }

    // Rows whose membership bits hold any of groups (bit g-1 for group g).
    size_t CountInGroups(unsigned groups) const;
    // Sets every row's membership bits to 0.
    void ClearMemberships();

    // Heap bytes of rows and records, without what the allocator adds.
    size_t MemoryBytes() const;

  private:
    friend void MergeAppend(LineIndex& list, LineIndex&& lines);
    friend void MergeAtTop(LineIndex& list, LineIndex&& lines);

    struct RecordSlot {
        LineRecord Info;
        bool Has = false; // rows between records have none
    };

    const LineBlock& BlockOf(size_t row, unsigned& slot) const {
        const size_t at = head_ + row;
        slot = static_cast<unsigned>(at % LineBlock::Slots);
        return blocks_[at / LineBlock::Slots];
    }
    LineBlock& BlockOf(size_t row, unsigned& slot) {
        const size_t at = head_ + row;
        slot = static_cast<unsigned>(at % LineBlock::Slots);
        return blocks_[at / LineBlock::Slots];
    }
    uint64_t OffsetOf(size_t row) const {
        unsigned slot = 0;
        return BlockOf(row, slot).Offset(slot);
    }
    void Prepend(const LineEntry& line) {
        if (size_ == 0 || head_ == 0 ||
            !blocks_.front().TryPrepend(static_cast<unsigned>(head_ - 1), frontOffset_, line)) {
            AddFront(line);
            return;
        }
        --head_;
        frontOffset_ = line.Offset;
        ++size_;
    }
    void AddBack(const LineEntry& line);
    void AddFront(const LineEntry& line);
    // The rows of lines after the last row, or before the first, records
    // aside: the runs of a block that chain by codes are copied whole.
    void AppendRows(const LineIndex& lines);
    void PrependRows(const LineIndex& lines);
    // Remove rows without their records; the ends' offsets are then stale.
    void DropBack(size_t rows);
    void DropFront(size_t rows);
    void EndsChanged();
    void NewSourceId();

    std::deque<LineBlock> blocks_;
    size_t head_ = 0; // slot of row 0 in blocks_.front()
    size_t size_ = 0;
    uint64_t frontOffset_ = 0; // offsets of the first and the last row
    uint64_t backOffset_ = 0;
    std::deque<RecordSlot> records_; // rows [recordsFirst_, recordsFirst_ + records_.size())
    size_t recordsFirst_ = 0;
    std::shared_ptr<const OpenFile> source_;
    LogEncoding encoding_ = LogEncoding::Unknown;
    uint64_t sourceId_ = 0;
};

} // namespace marrowlight
