#pragma once

#include "monitor/core/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace marrowlight {

class GroupMatcher;
class OpenFile;

// What is learnt of one row from its bytes given piece by piece, in order:
// its characters, its group membership and, in an 8-bit log, whether it is
// UTF-8. The answers are those of the whole row taken at once, so a row too
// long to hold in memory is judged exactly as a short one.
class RowScan {
  public:
    // Without a matcher no keyword is tested.
    RowScan(LogEncoding encoding, const GroupMatcher* matcher);

    void Feed(std::string_view bytes);
    // After the last piece; the answers below hold from then on.
    void Finish();

    uint64_t Chars() const;
    // Bit g-1 set when the row is in group g.
    unsigned Membership() const;
    // An 8-bit row is decoded as UTF-8 (else as Windows-1252).
    bool Utf8() const { return valid_; }

    // Reads [offset, offset + length) of file in pieces of at most
    // pieceBytes; false when a read fails or the file ends first.
    static bool ScanFile(const OpenFile& file, uint64_t offset, uint64_t length, size_t pieceBytes,
                         RowScan& scan);

  private:
    enum class Search { None, Raw, Utf8, RawAnd1252, Utf16 };
    void Step(std::string_view piece, bool last);
    // Tests seam + text and keeps the last bytes of it as the next seam.
    void Test(std::string& seam, uint64_t& dropped, std::string_view text, unsigned& membership,
              bool last);

    const LogEncoding encoding_;
    const GroupMatcher* const matcher_;
    const Search search_;
    const size_t seamBytes_;
    uint64_t size_ = 0;
    uint64_t count_ = 0;
    bool valid_ = true;
    uint64_t dropped_ = 0, dropped1252_ = 0; // bytes tested before each seam
    std::string carry_;                      // bytes whose decoding waits for the next piece
    std::string work_, decoded_, joined_;
    std::string seam_, seam1252_;
    unsigned membership_ = 0, membership1252_ = 0;
};

} // namespace marrowlight
