#include "monitor/core/LineIndex.h"

#include "monitor/core/LineSink.h"

#include <algorithm>
#include <atomic>
#include <utility>

namespace marrowlight {

namespace {
std::atomic<uint64_t> nextSourceId{1};
}

LineIndex::LineIndex(LineIndex&& other) noexcept {
    *this = std::move(other);
}

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
    LineEntry line = block.Entry(slot, block.Offset(slot));
    if (Record(row))
        line.Bits |= LineEntry::HasRecordFlag;
    return line;
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

void LineIndex::push_back(const LineEntry& line) {
    AddBack(line);
}

void LineIndex::push_back(const LineEntry& line, const TObjectInfo& record) {
    const size_t row = size_;
    if (records_.empty()) {
        recordsFirst_ = row;
    } else {
        // Rows without a record between the range and the new row.
        while (recordsFirst_ + records_.size() < row)
            records_.emplace_back();
    }
    records_.push_back({record, true});
    AddBack(line);
}

void LineIndex::push_front(const LineEntry& line) {
    AddFront(line);
    if (!records_.empty())
        ++recordsFirst_;
}

void LineIndex::push_front(const LineEntry& line, const TObjectInfo& record) {
    if (!records_.empty()) {
        for (size_t gap = recordsFirst_; gap > 0; --gap)
            records_.emplace_front();
    }
    records_.push_front({record, true});
    recordsFirst_ = 0;
    AddFront(line);
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

LineIndex::const_iterator LineIndex::begin() const {
    const_iterator it(this, 0);
    it.offset_ = frontOffset_;
    return it;
}

LineEntry LineIndex::const_iterator::operator*() const {
    unsigned slot = 0;
    LineEntry line = index_->BlockOf(row_, slot).Entry(slot, offset_);
    if (index_->Record(row_))
        line.Bits |= LineEntry::HasRecordFlag;
    return line;
}

LineIndex::const_iterator& LineIndex::const_iterator::operator++() {
    if (++row_ < index_->size_) {
        unsigned slot = 0;
        const LineBlock& block = index_->BlockOf(row_, slot);
        offset_ = slot > 0 ? block.NextOffset(slot - 1, offset_) : block.Offset(slot);
    }
    return *this;
}

LineIndex::const_iterator& LineIndex::const_iterator::operator--() {
    if (row_-- == index_->size_) {
        offset_ = index_->backOffset_;
        return *this;
    }
    unsigned slot = 0;
    const LineBlock& block = index_->BlockOf(row_, slot);
    offset_ =
        slot < LineBlock::Slots - 1 ? block.PrevOffset(slot + 1, offset_) : block.Offset(slot);
    return *this;
}

const TObjectInfo* LineIndex::Record(size_t row) const {
    if (records_.empty() || row < recordsFirst_ || row - recordsFirst_ >= records_.size() ||
        row >= size_)
        return nullptr;
    const RecordSlot& slot = records_[row - recordsFirst_];
    return slot.Has ? &slot.Info : nullptr;
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

void MergeAppend(LineIndex& list, LineIndex&& lines) {
    if (list.empty()) {
        list = std::move(lines);
        return;
    }
    for (auto it = lines.begin(); it != lines.end(); ++it) {
        if (const TObjectInfo* r = lines.Record(it.Row()))
            list.push_back(*it, *r);
        else
            list.push_back(*it);
    }
}

void MergeAtTop(LineIndex& list, LineIndex&& lines) {
    if (list.empty()) {
        list = std::move(lines);
        return;
    }
    for (auto it = lines.end(); it != lines.begin();) {
        --it;
        if (const TObjectInfo* r = lines.Record(it.Row()))
            list.push_front(*it, *r);
        else
            list.push_front(*it);
    }
}

} // namespace marrowlight
