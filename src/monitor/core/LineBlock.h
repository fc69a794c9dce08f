#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace marrowlight {

// Where one line's bytes are in the log (without its line end), and its
// highest group once that is known. Membership bits are a scratch area of the
// reading pass; they are not part of the row. A value: the index stores rows
// packed and hands out copies.
struct LineEntry {
    uint64_t Offset = 0;
    uint64_t Bits = 0; // low 56 bits: length in bytes; high 8 bits: flags

    static constexpr uint64_t LengthMask = (uint64_t{1} << 56) - 1;
    static constexpr int MembershipShift = 57; // bits 57..59: membership of groups 1..3
    static constexpr uint64_t GroupKnownFlag = uint64_t{1} << 60;
    static constexpr int GroupShift = 61; // bits 61..62: the highest group, 0..3

    LineEntry() = default;
    LineEntry(uint64_t offset, uint64_t length) : Offset(offset), Bits(length & LengthMask) {}
    uint64_t Length() const { return Bits & LengthMask; }
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

// Up to 64 rows of a LineIndex in 216 bytes. The rows fill slots Lo()..Hi()
// and grow from either end.
//
// Offsets form a chain. One slot, the root, holds the block's 64-bit offset;
// every other slot starts where its predecessor ends plus a step. A step of
// 1, 2 or 4 bytes (LF or CR LF, in 8 bits or UTF-16) costs a 2-bit code; any
// other (lines the view filter skipped, rows from elsewhere) is kept in a
// side table: 4 bytes, or 12 when it is negative or 4 GiB or more. In an
// ascending block a slot's predecessor is the slot below (rows in file
// order), in a descending one the slot above (newest at the top), so the
// root is Lo() or Hi() and a bulk load in either order costs only codes.
// Lengths take 16 bits; a longer line's length goes to the side table.
class LineBlock {
  public:
    static constexpr unsigned Slots = 64;

    bool Empty() const { return lo_ > hi_; }
    unsigned Lo() const { return lo_; }
    unsigned Hi() const { return hi_; }

    // Slots are occupied ones below.
    uint64_t Offset(unsigned k) const;
    uint64_t Length(unsigned k) const { return len_[k] == LongLength ? LongAt(k) : len_[k]; }
    // The offset of slot k+1 or k-1 from the offset of slot k, in O(1).
    uint64_t NextOffset(unsigned k, uint64_t offset) const {
        return desc_ ? offset - Step(k) - Length(k + 1) : offset + Length(k) + Step(k + 1);
    }
    uint64_t PrevOffset(unsigned k, uint64_t offset) const {
        return desc_ ? offset + Length(k) + Step(k - 1) : offset - Step(k) - Length(k - 1);
    }
    LineEntry Entry(unsigned k, uint64_t offset) const {
        LineEntry line(offset, Length(k));
        line.Bits |= ((m0_ >> k & 1) | (m1_ >> k & 1) << 1 | (m2_ >> k & 1) << 2)
                         << LineEntry::MembershipShift |
                     ((known_ >> k & 1) | (g0_ >> k & 1) << 1 | (g1_ >> k & 1) << 2)
                         << (LineEntry::GroupShift - 1);
        return line;
    }
    int Group(unsigned k) const {
        return (known_ >> k & 1) ? static_cast<int>((g0_ >> k & 1) | (g1_ >> k & 1) << 1) : -1;
    }
    void SetGroup(unsigned k, int group);
    // Rows in any of groups (bit g-1 for group g), by their membership bits.
    unsigned CountInGroups(unsigned groups) const;
    void ClearMemberships() { m0_ = m1_ = m2_ = 0; }

    // The first row of an empty block.
    void Start(unsigned k, const LineEntry& line);
    // A row at Lo() - 1 or Hi() + 1; the occupied slot beside it starts at
    // neighbourOffset.
    void Attach(unsigned k, uint64_t neighbourOffset, const LineEntry& line);
    // Attach for the common case, inline: a row at Hi() + 1 of an ascending
    // block (Lo() - 1 of a descending one) that starts a line end after the
    // row beside it and is shorter than 64 KiB. False, and nothing done,
    // otherwise.
    bool TryAppend(unsigned k, uint64_t neighbourOffset, const LineEntry& line) {
        if (desc_ || k != hi_ + 1u ||
            !FillCoded(k, line.Offset - (neighbourOffset + Length(hi_)), line))
            return false;
        hi_ = static_cast<uint8_t>(k);
        return true;
    }
    bool TryPrepend(unsigned k, uint64_t neighbourOffset, const LineEntry& line) {
        if (!desc_ || k + 1u != lo_ ||
            !FillCoded(k, line.Offset - (neighbourOffset + Length(lo_)), line))
            return false;
        lo_ = static_cast<uint8_t>(k);
        return true;
    }
    void DetachLo();
    void DetachHi();

    bool Descending() const { return desc_; }
    // No row of the block has a long length or a step without a code.
    bool Plain() const { return !side_; }
    // Copies count rows of src from slot `from` on to the slots after Hi(),
    // without looking at them one by one. This block is ascending and not
    // empty, src ascending and plain, and the row before them in src is this
    // block's last one (so none is src's root, and each keeps its step's
    // code). hiOffset is the offset of Hi(); the result, that of the last
    // row copied.
    uint64_t CopyAfter(const LineBlock& src, unsigned from, unsigned count, uint64_t hiOffset);
    // The same in a descending block: count rows of src from slot `from` on
    // go to the slots before Lo(), and the row after them in src is this
    // block's first one. loOffset is the offset of Lo(); the result, that of
    // the first row copied.
    uint64_t CopyBefore(const LineBlock& src, unsigned from, unsigned count, uint64_t loOffset);
    // Slot k moves to 63 - k.
    void Mirror();
    // Heap bytes of the side table.
    size_t SideBytes() const;

  private:
    static constexpr uint16_t LongLength = 0xFFFF;
    static constexpr uint32_t BigStep = 0xFFFFFFFF;

    // Long lengths and steps without a code, each list in slot order.
    struct Side {
        uint64_t LongMask = 0; // slots whose length is in Longs
        uint64_t BigMask = 0;  // slots whose step is in Bigs
        std::vector<uint64_t> Longs;
        std::vector<uint32_t> Steps; // one per slot of StepSlots(); BigStep: see Bigs
        std::vector<uint64_t> Bigs;
    };

    unsigned Root() const { return desc_ ? hi_ : lo_; }
    uint64_t Occupied() const;
    // Occupied slots other than the root whose step is in the side table.
    uint64_t StepSlots() const { return Occupied() & ~(c0_ | c1_) & ~(uint64_t{1} << Root()); }
    // From the end of slot k's predecessor to its start.
    uint64_t Step(unsigned k) const {
        const unsigned code = static_cast<unsigned>((c0_ >> k & 1) | (c1_ >> k & 1) << 1);
        return code ? uint64_t{1} << (code - 1) : SideStep(k);
    }
    uint64_t SideStep(unsigned k) const;
    uint64_t LongAt(unsigned k) const;
    uint64_t LengthSum(unsigned first, unsigned last) const;
    uint64_t StepSum(unsigned first, unsigned last) const;
    // Fills free slot k when its step has a code and its length fits.
    bool FillCoded(unsigned k, uint64_t step, const LineEntry& line) {
        const uint64_t length = line.Length();
        if (length >= LongLength || (step != 1 && step != 2 && step != 4))
            return false;
        len_[k] = static_cast<uint16_t>(length);
        const uint64_t bit = uint64_t{1} << k;
        c0_ |= step != 2 ? bit : 0;
        c1_ |= step != 1 ? bit : 0;
        const uint64_t flags = line.Bits >> LineEntry::MembershipShift;
        if (flags == 0)
            return true;
        m0_ |= (flags & 1) << k;
        m1_ |= (flags >> 1 & 1) << k;
        m2_ |= (flags >> 2 & 1) << k;
        const uint64_t known = flags >> 3 & 1;
        known_ |= known << k;
        g0_ |= (flags >> 4 & known) << k;
        g1_ |= (flags >> 5 & known) << k;
        return true;
    }
    // Slots from.. of src to slots to.. of this block, whose slots are free.
    void CopyRows(const LineBlock& src, unsigned from, unsigned count, unsigned to);
    void Fill(unsigned k, const LineEntry& line);
    void Unfill(unsigned k);
    // Slot k, not the root, gets step (its code is 0 and it has no side entry).
    void SetStep(unsigned k, uint64_t step);
    void ClearStep(unsigned k);
    Side& TheSide();
    void DropSideIfUnused();

    uint64_t base_ = 0; // offset of the root
    std::unique_ptr<Side> side_;
    uint64_t c0_ = 0, c1_ = 0;             // step codes: 0 side table, 1, 2, 3 -> 1, 2, 4
    uint64_t known_ = 0, g0_ = 0, g1_ = 0; // highest group
    uint64_t m0_ = 0, m1_ = 0, m2_ = 0;    // membership of groups 1..3
    uint16_t len_[Slots] = {};
    uint8_t lo_ = 1, hi_ = 0;
    bool desc_ = false;
};

} // namespace marrowlight
