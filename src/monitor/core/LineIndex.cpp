#include "monitor/core/LineIndex.h"

#include "monitor/core/LineSink.h"

#include <algorithm>
#include <atomic>

namespace marrowlight {

namespace {
std::atomic<uint64_t> nextSourceId{1};
}

void LineIndex::MarkRecord(LineEntry& line) {
    line.Bits |= LineEntry::HasRecordFlag;
}

void LineIndex::push_back(const LineEntry& line, const TObjectInfo& record) {
    size_t row = entries_.size();
    if (records_.empty()) {
        recordsFirst_ = row;
    } else {
        // Rows without a record between the range and the new row.
        while (recordsFirst_ + records_.size() < row)
            records_.emplace_back();
    }
    records_.push_back(record);
    entries_.push_back(line);
    MarkRecord(entries_.back());
}

void LineIndex::push_front(const LineEntry& line) {
    LineEntry e = line;
    e.Bits &= ~LineEntry::HasRecordFlag;
    entries_.push_front(e);
    if (!records_.empty())
        ++recordsFirst_;
}

void LineIndex::push_front(const LineEntry& line, const TObjectInfo& record) {
    if (!records_.empty()) {
        for (size_t gap = recordsFirst_; gap > 0; --gap)
            records_.emplace_front();
    }
    records_.push_front(record);
    recordsFirst_ = 0;
    entries_.push_front(line);
    MarkRecord(entries_.front());
}

void LineIndex::pop_front() {
    if (entries_.empty())
        return;
    entries_.pop_front();
    if (records_.empty())
        return;
    if (recordsFirst_ == 0)
        records_.pop_front();
    else
        --recordsFirst_;
}

void LineIndex::pop_back() {
    if (entries_.empty())
        return;
    entries_.pop_back();
    if (!records_.empty() && recordsFirst_ + records_.size() > entries_.size())
        records_.pop_back();
}

void LineIndex::KeepRange(size_t first, size_t count) {
    first = std::min(first, entries_.size());
    count = std::min(count, entries_.size() - first);
    while (entries_.size() > first + count)
        pop_back();
    for (size_t k = 0; k < first; ++k)
        pop_front();
}

void LineIndex::Reverse() {
    std::reverse(entries_.begin(), entries_.end());
    if (!records_.empty()) {
        std::reverse(records_.begin(), records_.end());
        recordsFirst_ = entries_.size() - (recordsFirst_ + records_.size());
    }
}

void LineIndex::clear() {
    std::deque<LineEntry>().swap(entries_);
    std::deque<TObjectInfo>().swap(records_);
    recordsFirst_ = 0;
    source_.reset();
    encoding_ = LogEncoding::Unknown;
    NewSourceId();
}

const TObjectInfo* LineIndex::Record(size_t row) const {
    if (records_.empty() || row < recordsFirst_ || row - recordsFirst_ >= records_.size() ||
        row >= entries_.size() || !entries_[row].HasRecord())
        return nullptr;
    return &records_[row - recordsFirst_];
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
    for (size_t i = 0; i < lines.size(); ++i) {
        if (const TObjectInfo* r = lines.Record(i))
            list.push_back(lines[i], *r);
        else
            list.push_back(lines[i]);
    }
}

void MergeAtTop(LineIndex& list, LineIndex&& lines) {
    if (list.empty()) {
        list = std::move(lines);
        return;
    }
    for (size_t i = lines.size(); i-- > 0;) {
        if (const TObjectInfo* r = lines.Record(i))
            list.push_front(lines[i], *r);
        else
            list.push_front(lines[i]);
    }
}

} // namespace marrowlight
