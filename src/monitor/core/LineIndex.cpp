#include "monitor/core/LineIndex.h"

#include "monitor/core/LineSink.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace marrowlight {

namespace {
std::atomic<uint64_t> nextSourceId{1};
}

LineIndex::LineIndex(LineIndex&& other) noexcept
    : blocks_(std::move(other.blocks_)), head_(std::exchange(other.head_, 0)),
      size_(std::exchange(other.size_, 0)), frontOffset_(other.frontOffset_),
      backOffset_(other.backOffset_), records_(std::move(other.records_)),
      recordsFirst_(std::exchange(other.recordsFirst_, 0)), source_(std::move(other.source_)),
      encoding_(std::exchange(other.encoding_, LogEncoding::Unknown)), sourceId_(other.sourceId_) {}

LineIndex& LineIndex::operator=(LineIndex&& other) noexcept {
    blocks_ = std::move(other.blocks_);
    head_ = std::exchange(other.head_, 0);
    size_ = std::exchange(other.size_, 0);
    frontOffset_ = other.frontOffset_;
    backOffset_ = other.backOffset_;
    records_ = std::move(other.records_);
    recordsFirst_ = std::exchange(other.recordsFirst_, 0);
    source_ = std::move(other.source_);
    encoding_ = std::exchange(other.encoding_, LogEncoding::Unknown);
    sourceId_ = other.sourceId_;
    other.blocks_.clear();
    other.records_.clear();
    return *this;
}

LineEntry LineIndex::operator[](size_t row) const {
    unsigned slot = 0;
    const LineBlock& block = BlockOf(row, slot);
    return block.Entry(slot, block.Offset(slot));
}

void LineIndex::AddBack(const LineEntry& line) {
    const size_t at = head_ + size_;
    const auto slot = static_cast<unsigned>(at % LineBlock::Slots);
    if (size_ == 0) {
        blocks_.emplace_back();
        head_ = 0;
        blocks_.back().Start(0, line);
        frontOffset_ = line.Offset;
    } else if (slot == 0) {
        blocks_.emplace_back();
        blocks_.back().Start(0, line);
    } else {
        blocks_.back().Attach(slot, backOffset_, line);
    }
    backOffset_ = line.Offset;
    ++size_;
}

void LineIndex::AddFront(const LineEntry& line) {
    if (size_ == 0 || head_ == 0) {
        // A list with newest lines at the top grows downwards from slot 63.
        blocks_.emplace_front();
        head_ = LineBlock::Slots - 1;
        blocks_.front().Start(static_cast<unsigned>(head_), line);
        if (size_ == 0)
            backOffset_ = line.Offset;
    } else {
        --head_;
        blocks_.front().Attach(static_cast<unsigned>(head_), frontOffset_, line);
    }
    frontOffset_ = line.Offset;
    ++size_;
}

void LineIndex::AppendRows(const LineIndex& lines) {
    for (size_t b = 0; b < lines.blocks_.size(); ++b) {
        const LineBlock& block = lines.blocks_[b];
        const unsigned first = block.Lo(), last = block.Hi();
        // A block's root and the first row of a block of ours go one by one:
        // their steps are new. The rows after them follow the same rows as in
        // lines, so their codes hold.
        const bool copies = block.Plain() && !block.Descending();
        uint64_t offset = b == 0 ? lines.frontOffset_ : block.Offset(first);
        for (unsigned k = first;;) {
            const auto slot = static_cast<unsigned>((head_ + size_) % LineBlock::Slots);
            if (copies && k > first && slot != 0 && !blocks_.back().Descending()) {
                const unsigned count = std::min(last - k + 1, LineBlock::Slots - slot);
                backOffset_ = blocks_.back().CopyAfter(block, k, count, backOffset_);
                size_ += count;
                k += count;
                if (k > last)
                    break;
                offset = block.NextOffset(k - 1, backOffset_);
            } else {
                push_back(block.Entry(k, offset));
                if (k == last)
                    break;
                offset = block.NextOffset(k++, offset);
            }
        }
    }
}

void LineIndex::PrependRows(const LineIndex& lines) {
    for (size_t b = lines.blocks_.size(); b-- > 0;) {
        const LineBlock& block = lines.blocks_[b];
        const unsigned first = block.Lo(), last = block.Hi();
        const bool copies = block.Plain() && block.Descending();
        uint64_t offset = b + 1 == lines.blocks_.size() ? lines.backOffset_ : block.Offset(last);
        for (unsigned k = last;;) {
            if (copies && k < last && head_ != 0 && blocks_.front().Descending()) {
                const unsigned count = std::min(k - first + 1, static_cast<unsigned>(head_));
                frontOffset_ =
                    blocks_.front().CopyBefore(block, k + 1 - count, count, frontOffset_);
                head_ -= count;
                size_ += count;
                if (k - first + 1 == count)
                    break;
                k -= count;
                offset = block.PrevOffset(k + 1, frontOffset_);
            } else {
                Prepend(block.Entry(k, offset));
                if (k == first)
                    break;
                offset = block.PrevOffset(k--, offset);
            }
        }
    }
}

void LineIndex::push_back(const LineEntry& line, const LineRecord& record) {
    const size_t row = size_;
    if (records_.empty()) {
        recordsFirst_ = row;
    } else {
        // Rows without a record between the range and the new row.
        while (recordsFirst_ + records_.size() < row)
            records_.emplace_back();
    }
    records_.push_back({record, true});
    push_back(line);
}

void LineIndex::push_front(const LineEntry& line, const LineRecord& record) {
    if (!records_.empty()) {
        for (size_t gap = recordsFirst_; gap > 0; --gap)
            records_.emplace_front();
    }
    records_.push_front({record, true});
    recordsFirst_ = 0;
    Prepend(line);
}

void LineIndex::DropBack(size_t rows) {
    while (rows > 0) {
        const size_t inBlock =
            blocks_.size() == 1 ? size_ : (head_ + size_ - 1) % LineBlock::Slots + 1;
        if (rows >= inBlock) {
            blocks_.pop_back();
            size_ -= inBlock;
            rows -= inBlock;
        } else {
            blocks_.back().DetachHi();
            --size_;
            --rows;
        }
    }
}

void LineIndex::DropFront(size_t rows) {
    while (rows > 0) {
        const size_t inBlock = blocks_.size() == 1 ? size_ : LineBlock::Slots - head_;
        if (rows >= inBlock) {
            blocks_.pop_front();
            head_ = 0;
            size_ -= inBlock;
            rows -= inBlock;
        } else {
            blocks_.front().DetachLo();
            ++head_;
            --size_;
            --rows;
        }
    }
}

void LineIndex::EndsChanged() {
    if (size_ == 0) {
        std::deque<LineBlock>().swap(blocks_);
        head_ = 0;
        return;
    }
    frontOffset_ = OffsetOf(0);
    backOffset_ = OffsetOf(size_ - 1);
}

void LineIndex::pop_front() {
    if (size_ == 0)
        return;
    DropFront(1);
    EndsChanged();
    if (records_.empty())
        return;
    if (recordsFirst_ == 0)
        records_.pop_front();
    else
        --recordsFirst_;
}

void LineIndex::pop_back() {
    if (size_ == 0)
        return;
    DropBack(1);
    EndsChanged();
    if (!records_.empty() && recordsFirst_ + records_.size() > size_)
        records_.pop_back();
}

void LineIndex::KeepRange(size_t first, size_t count) {
    first = std::min(first, size_);
    count = std::min(count, size_ - first);
    if (!records_.empty()) {
        const size_t from = std::max(recordsFirst_, first);
        const size_t to = std::min(recordsFirst_ + records_.size(), first + count);
        if (from >= to) {
            records_.clear();
            recordsFirst_ = 0;
        } else {
            records_.erase(records_.begin() + static_cast<ptrdiff_t>(to - recordsFirst_),
                           records_.end());
            records_.erase(records_.begin(),
                           records_.begin() + static_cast<ptrdiff_t>(from - recordsFirst_));
            recordsFirst_ = from - first;
        }
    }
    DropBack(size_ - first - count);
    DropFront(first);
    EndsChanged();
}

void LineIndex::Reverse() {
    std::reverse(blocks_.begin(), blocks_.end());
    for (LineBlock& block : blocks_)
        block.Mirror();
    head_ = blocks_.size() * LineBlock::Slots - (head_ + size_);
    std::swap(frontOffset_, backOffset_);
    if (!records_.empty()) {
        std::reverse(records_.begin(), records_.end());
        recordsFirst_ = size_ - (recordsFirst_ + records_.size());
    }
}

void LineIndex::clear() {
    std::deque<LineBlock>().swap(blocks_);
    head_ = 0;
    size_ = 0;
    std::deque<RecordSlot>().swap(records_);
    recordsFirst_ = 0;
    source_.reset();
    encoding_ = LogEncoding::Unknown;
    NewSourceId();
}

void LineIndex::const_iterator::Seek() {
    if (row_ >= index_->size_)
        return;
    block_ = &index_->BlockOf(row_, slot_);
    offset_ = row_ == 0                   ? index_->frontOffset_
              : row_ == index_->size_ - 1 ? index_->backOffset_
                                          : block_->Offset(slot_);
}

void LineIndex::SetRecord(size_t row, const LineRecord& record) {
    if (row >= size_)
        return;
    if (records_.empty())
        recordsFirst_ = row;
    for (; recordsFirst_ > row; --recordsFirst_)
        records_.emplace_front();
    while (recordsFirst_ + records_.size() <= row)
        records_.emplace_back();
    records_[row - recordsFirst_] = {record, true};
}

int LineIndex::Group(size_t row) const {
    if (row >= size_)
        return -1;
    unsigned slot = 0;
    return BlockOf(row, slot).Group(slot);
}

void LineIndex::SetGroup(size_t row, int group) {
    if (row >= size_)
        return;
    unsigned slot = 0;
    BlockOf(row, slot).SetGroup(slot, group);
}

size_t LineIndex::CountInGroups(unsigned groups) const {
    size_t count = 0;
    for (const LineBlock& block : blocks_)
        count += block.CountInGroups(groups);
    return count;
}

void LineIndex::ClearMemberships() {
    for (LineBlock& block : blocks_)
        block.ClearMemberships();
}

size_t LineIndex::MemoryBytes() const {
    size_t bytes = blocks_.size() * sizeof(LineBlock) + records_.size() * sizeof(RecordSlot);
    for (const LineBlock& block : blocks_)
        bytes += block.SideBytes();
    return bytes;
}

void LineIndex::SetSource(std::shared_ptr<const OpenFile> file, LogEncoding encoding) {
    source_ = std::move(file);
    encoding_ = encoding;
    NewSourceId();
}

void LineIndex::NewSourceId() {
    sourceId_ = nextSourceId.fetch_add(1);
}

// Rows first, then the records as one range: no record is looked up a row.
void MergeAppend(LineIndex& list, LineIndex&& lines) {
    if (list.empty()) {
        list = std::move(lines);
        return;
    }
    const size_t rows = list.size();
    list.AppendRows(lines);
    if (lines.records_.empty())
        return;
    const size_t first = rows + lines.recordsFirst_;
    if (list.records_.empty())
        list.recordsFirst_ = first;
    while (list.recordsFirst_ + list.records_.size() < first)
        list.records_.emplace_back();
    for (const LineIndex::RecordSlot& record : lines.records_)
        list.records_.push_back(record);
}

void MergeAtTop(LineIndex& list, LineIndex&& lines) {
    if (list.empty()) {
        list = std::move(lines);
        return;
    }
    list.PrependRows(lines);
    if (lines.records_.empty()) {
        if (!list.records_.empty())
            list.recordsFirst_ += lines.size();
        return;
    }
    if (!list.records_.empty()) {
        const size_t end = lines.recordsFirst_ + lines.records_.size();
        for (size_t gap = list.recordsFirst_ + lines.size() - end; gap > 0; --gap)
            list.records_.emplace_front();
    }
    for (auto record = lines.records_.rbegin(); record != lines.records_.rend(); ++record)
        list.records_.push_front(*record);
    list.recordsFirst_ = lines.recordsFirst_;
}

} // namespace marrowlight
