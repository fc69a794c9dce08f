#include "monitor/core/RowScan.h"

#include "monitor/core/FileSource.h"
#include "monitor/core/LineClassifier.h"

#include <algorithm>
#include <vector>

namespace marrowlight {

namespace {

// Pieces are worked on in slices of this size, so decoding one never needs
// more than a few times as much memory, whatever was fed at once.
constexpr size_t SliceBytes = size_t{64} << 10;

} // namespace

RowScan::RowScan(LogEncoding encoding, const GroupMatcher* matcher)
    : encoding_(encoding), matcher_(matcher),
      search_(!matcher                         ? Search::None
              : encoding == LogEncoding::Utf16 ? Search::Utf16
              : matcher->RawBytesSuffice()     ? Search::Raw
              : encoding == LogEncoding::Utf8  ? Search::Utf8
                                               : Search::RawAnd1252),
      seamBytes_(matcher && matcher->LongestKeyword() > 0 ? matcher->LongestKeyword() - 1 : 0) {}

void RowScan::Feed(std::string_view bytes) {
    size_ += bytes.size();
    while (!bytes.empty()) {
        const size_t slice = std::min(bytes.size(), SliceBytes);
        Step(bytes.substr(0, slice), false);
        bytes.remove_prefix(slice);
    }
}

void RowScan::Finish() {
    Step({}, true);
}

void RowScan::Step(std::string_view piece, bool last) {
    work_.assign(carry_);
    work_.append(piece);
    // What was held back is decoded at the end as the end of a row is.
    const size_t hold = last ? 0 : UnfinishedCharBytes(work_, encoding_);
    const std::string_view body(work_.data(), work_.size() - hold);
    if (encoding_ != LogEncoding::Utf16)
        count_ += CountUtf8Chars(body, valid_);
    switch (search_) {
    case Search::None:
        break;
    case Search::Raw:
        Test(seam_, dropped_, body, membership_, last);
        break;
    case Search::RawAnd1252:
        // Valid UTF-8 decodes to its own bytes; which of the two texts the
        // row has is known only at its end.
        Test(seam_, dropped_, body, membership_, last);
        decoded_.clear();
        AppendDecodedAs(decoded_, body, encoding_, false);
        Test(seam1252_, dropped1252_, decoded_, membership1252_, last);
        break;
    case Search::Utf8:
    case Search::Utf16:
        decoded_.clear();
        AppendDecodedAs(decoded_, body, encoding_, true);
        Test(seam_, dropped_, decoded_, membership_, last);
        break;
    }
    carry_.assign(work_, body.size());
}

void RowScan::Test(std::string& seam, uint64_t& dropped, std::string_view text,
                   unsigned& membership, bool last) {
    // A keyword cut by a slice border lies within the seam and the text; an
    // expression sees the row's start only while nothing was dropped before
    // the seam, its end only in the last slice.
    joined_.assign(seam);
    joined_.append(text);
    if (membership != 7u)
        membership |= matcher_->Membership(joined_, dropped == 0, last);
    const size_t keep = std::min(joined_.size(), seamBytes_);
    dropped += joined_.size() - keep;
    seam.assign(joined_, joined_.size() - keep);
}

uint64_t RowScan::Chars() const {
    if (encoding_ == LogEncoding::Utf16)
        return (size_ + 1) / 2;
    return encoding_ == LogEncoding::EightBit && !valid_ ? size_ : count_;
}

unsigned RowScan::Membership() const {
    return search_ == Search::RawAnd1252 && !valid_ ? membership1252_ : membership_;
}

bool RowScan::ScanFile(const OpenFile& file, uint64_t offset, uint64_t length, size_t pieceBytes,
                       RowScan& scan) {
    std::vector<char> piece(
        static_cast<size_t>(std::min<uint64_t>(length, std::max<size_t>(1, pieceBytes))));
    while (length > 0) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(length, piece.size()));
        const ssize_t got = file.ReadAt(offset, piece.data(), want);
        if (got <= 0)
            return false;
        scan.Feed(std::string_view(piece.data(), static_cast<size_t>(got)));
        offset += static_cast<uint64_t>(got);
        length -= static_cast<uint64_t>(got);
    }
    scan.Finish();
    return true;
}

} // namespace marrowlight
