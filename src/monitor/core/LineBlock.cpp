#include "monitor/core/LineBlock.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace marrowlight {

namespace {

constexpr uint64_t Bit(unsigned k) {
    return uint64_t{1} << k;
}
// Slots first..last.
constexpr uint64_t Range(unsigned first, unsigned last) {
    return (~uint64_t{0} >> (63 - last)) & (~uint64_t{0} << first);
}
// std::popcount is a library call on processors without the instruction
// assumed; the plain arithmetic is a third of it, and offsets need it often.
unsigned BitCount(uint64_t x) {
#if defined(__POPCNT__) || !defined(__x86_64__)
    return static_cast<unsigned>(std::popcount(x));
#else
    x -= x >> 1 & 0x5555555555555555;
    x = (x & 0x3333333333333333) + (x >> 2 & 0x3333333333333333);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0F;
    return static_cast<unsigned>((x * 0x0101010101010101) >> 56);
#endif
}
// Entries of the slots of mask below slot k: where slot k's entry is.
unsigned Rank(uint64_t mask, unsigned k) {
    return BitCount(mask & (Bit(k) - 1));
}
void Put(uint64_t& plane, unsigned k, bool on) {
    plane = (plane & ~Bit(k)) | (uint64_t{on} << k);
}
uint64_t ReverseBits(uint64_t x) {
    x = (x >> 1 & 0x5555555555555555) | (x & 0x5555555555555555) << 1;
    x = (x >> 2 & 0x3333333333333333) | (x & 0x3333333333333333) << 2;
    x = (x >> 4 & 0x0F0F0F0F0F0F0F0F) | (x & 0x0F0F0F0F0F0F0F0F) << 4;
    return __builtin_bswap64(x);
}
template <class T> void InsertAt(std::vector<T>& list, unsigned at, T value) {
    list.insert(list.begin() + at, value);
}
template <class T> void EraseAt(std::vector<T>& list, unsigned at) {
    list.erase(list.begin() + at);
}
// What a step costs: nothing with a code, 4 bytes in the side table, 12 when big.
int StepCost(uint64_t step) {
    return step == 1 || step == 2 || step == 4 ? 0 : step < 0xFFFFFFFF ? 1 : 2;
}

} // namespace

// The figure the index's memory rests on: 64 rows in 216 bytes.
static_assert(sizeof(void*) != 8 || sizeof(LineBlock) == 216);

uint64_t LineBlock::Occupied() const {
    return Empty() ? 0 : Range(lo_, hi_);
}

uint64_t LineBlock::LongAt(unsigned k) const {
    return side_->Longs[Rank(side_->LongMask, k)];
}

uint64_t LineBlock::SideStep(unsigned k) const {
    const uint32_t step = side_->Steps[Rank(StepSlots(), k)];
    return step != BigStep ? step : side_->Bigs[Rank(side_->BigMask, k)];
}

uint64_t LineBlock::LengthSum(unsigned first, unsigned last) const {
    uint64_t sum = 0;
    for (unsigned k = first; k <= last; ++k)
        sum += len_[k];
    if (side_) {
        uint64_t longs = side_->LongMask & Range(first, last);
        for (unsigned r = longs ? Rank(side_->LongMask, first) : 0; longs; longs &= longs - 1)
            sum += side_->Longs[r++] - LongLength;
    }
    return sum;
}

uint64_t LineBlock::StepSum(unsigned first, unsigned last) const {
    const uint64_t range = Range(first, last);
    uint64_t sum = uint64_t{BitCount(range & c0_ & ~c1_)} +
                   2 * uint64_t{BitCount(range & ~c0_ & c1_)} +
                   4 * uint64_t{BitCount(range & c0_ & c1_)};
    const uint64_t slots = StepSlots();
    uint64_t own = slots & range;
    // The range is contiguous, so its entries are too.
    for (unsigned r = own ? Rank(slots, first) : 0; own; own &= own - 1) {
        const uint32_t step = side_->Steps[r++];
        sum +=
            step != BigStep
                ? step
                : side_->Bigs[Rank(side_->BigMask, static_cast<unsigned>(std::countr_zero(own)))];
    }
    return sum;
}

uint64_t LineBlock::Offset(unsigned k) const {
    if (k == Root())
        return base_;
    if (desc_)
        return base_ + LengthSum(k + 1, hi_) + StepSum(k, hi_ - 1);
    return base_ + LengthSum(lo_, k - 1) + StepSum(lo_ + 1, k);
}

void LineBlock::SetGroup(unsigned k, int group) {
    known_ |= Bit(k);
    Put(g0_, k, group & 1);
    Put(g1_, k, group & 2);
}

unsigned LineBlock::CountInGroups(unsigned groups) const {
    const uint64_t in = (groups & 1 ? m0_ : 0) | (groups & 2 ? m1_ : 0) | (groups & 4 ? m2_ : 0);
    return BitCount(in & Occupied());
}

void LineBlock::Fill(unsigned k, const LineEntry& line) {
    const uint64_t length = line.Length();
    if (length < LongLength) {
        len_[k] = static_cast<uint16_t>(length);
    } else {
        len_[k] = LongLength;
        Side& side = TheSide();
        InsertAt(side.Longs, Rank(side.LongMask, k), length);
        side.LongMask |= Bit(k);
    }
    const unsigned groups = line.Membership();
    Put(m0_, k, groups & 1);
    Put(m1_, k, groups & 2);
    Put(m2_, k, groups & 4);
    if (const int group = line.Group(); group >= 0)
        SetGroup(k, group);
}

void LineBlock::Unfill(unsigned k) {
    if (len_[k] == LongLength) {
        EraseAt(side_->Longs, Rank(side_->LongMask, k));
        side_->LongMask &= ~Bit(k);
        DropSideIfUnused();
    }
    len_[k] = 0;
    for (uint64_t* plane : {&c0_, &c1_, &known_, &g0_, &g1_, &m0_, &m1_, &m2_})
        *plane &= ~Bit(k);
}

void LineBlock::SetStep(unsigned k, uint64_t step) {
    switch (step) {
    case 1:
        c0_ |= Bit(k);
        return;
    case 2:
        c1_ |= Bit(k);
        return;
    case 4:
        c0_ |= Bit(k);
        c1_ |= Bit(k);
        return;
    default:
        break;
    }
    Side& side = TheSide();
    if (step < BigStep) {
        InsertAt(side.Steps, Rank(StepSlots(), k), static_cast<uint32_t>(step));
    } else {
        InsertAt(side.Steps, Rank(StepSlots(), k), BigStep);
        InsertAt(side.Bigs, Rank(side.BigMask, k), step);
        side.BigMask |= Bit(k);
    }
}

void LineBlock::ClearStep(unsigned k) {
    if ((c0_ | c1_) & Bit(k)) {
        c0_ &= ~Bit(k);
        c1_ &= ~Bit(k);
        return;
    }
    Side& side = *side_;
    const unsigned at = Rank(StepSlots(), k);
    if (side.Steps[at] == BigStep) {
        EraseAt(side.Bigs, Rank(side.BigMask, k));
        side.BigMask &= ~Bit(k);
    }
    EraseAt(side.Steps, at);
    DropSideIfUnused();
}

void LineBlock::Start(unsigned k, const LineEntry& line) {
    lo_ = hi_ = static_cast<uint8_t>(k);
    desc_ = false;
    base_ = line.Offset;
    Fill(k, line);
}

void LineBlock::Attach(unsigned k, uint64_t neighbourOffset, const LineEntry& line) {
    const unsigned n = k < lo_ ? lo_ : hi_;
    // Unsigned steps wrap, so any order of offsets chains.
    const uint64_t after = line.Offset - (neighbourOffset + Length(n));
    const uint64_t before = neighbourOffset - (line.Offset + line.Length());
    if (lo_ == hi_) {
        // The second row decides the direction: whichever chains cheaper.
        const bool follows = StepCost(after) <= StepCost(before);
        desc_ = follows == (k < n);
    }
    const bool follows = desc_ == (k < n); // n is k's predecessor
    if (k < lo_)
        lo_ = static_cast<uint8_t>(k);
    else
        hi_ = static_cast<uint8_t>(k);
    Fill(k, line);
    if (follows) {
        SetStep(k, after);
    } else {
        // k is the new root; the old one follows it.
        base_ = line.Offset;
        SetStep(n, before);
    }
}

void LineBlock::DetachLo() {
    const unsigned k = lo_;
    if (lo_ == hi_) {
        Unfill(k);
        *this = LineBlock();
        return;
    }
    if (desc_) {
        ClearStep(k);
    } else {
        // The root goes; the slot above takes its place.
        const uint64_t next = base_ + Length(k) + Step(k + 1);
        ClearStep(k + 1);
        base_ = next;
    }
    Unfill(k);
    ++lo_;
}

void LineBlock::DetachHi() {
    const unsigned k = hi_;
    if (lo_ == hi_) {
        Unfill(k);
        *this = LineBlock();
        return;
    }
    if (desc_) {
        const uint64_t next = base_ + Length(k) + Step(k - 1);
        ClearStep(k - 1);
        base_ = next;
    } else {
        ClearStep(k);
    }
    Unfill(k);
    --hi_;
}

void LineBlock::CopyRows(const LineBlock& src, unsigned from, unsigned count, unsigned to) {
    // Free slots hold zero bits, so OR-ing the shifted planes in is enough.
    const uint64_t rows = Range(0, count - 1);
    auto moved = [&](uint64_t plane) { return (plane >> from & rows) << to; };
    c0_ |= moved(src.c0_);
    c1_ |= moved(src.c1_);
    known_ |= moved(src.known_);
    g0_ |= moved(src.g0_);
    g1_ |= moved(src.g1_);
    m0_ |= moved(src.m0_);
    m1_ |= moved(src.m1_);
    m2_ |= moved(src.m2_);
    std::memcpy(len_ + to, src.len_ + from, count * sizeof len_[0]);
}

uint64_t LineBlock::CopyAfter(const LineBlock& src, unsigned from, unsigned count,
                              uint64_t hiOffset) {
    const unsigned to = hi_ + 1u;
    CopyRows(src, from, count, to);
    const unsigned last = to + count - 1;
    const uint64_t offset =
        hiOffset + Length(hi_) + (count > 1 ? LengthSum(to, last - 1) : 0) + StepSum(to, last);
    hi_ = static_cast<uint8_t>(last);
    return offset;
}

uint64_t LineBlock::CopyBefore(const LineBlock& src, unsigned from, unsigned count,
                               uint64_t loOffset) {
    const unsigned to = lo_ - count;
    CopyRows(src, from, count, to);
    const unsigned last = lo_ - 1u;
    const uint64_t offset =
        loOffset + Length(lo_) + (count > 1 ? LengthSum(to + 1, last) : 0) + StepSum(to, last);
    lo_ = static_cast<uint8_t>(to);
    return offset;
}

void LineBlock::Mirror() {
    std::reverse(std::begin(len_), std::end(len_));
    for (uint64_t* plane : {&c0_, &c1_, &known_, &g0_, &g1_, &m0_, &m1_, &m2_})
        *plane = ReverseBits(*plane);
    const uint8_t lo = lo_;
    lo_ = static_cast<uint8_t>(Slots - 1 - hi_);
    hi_ = static_cast<uint8_t>(Slots - 1 - lo);
    // The same slot stays the root: it moves to the other end.
    desc_ = !desc_;
    if (side_) {
        side_->LongMask = ReverseBits(side_->LongMask);
        side_->BigMask = ReverseBits(side_->BigMask);
        std::reverse(side_->Longs.begin(), side_->Longs.end());
        std::reverse(side_->Steps.begin(), side_->Steps.end());
        std::reverse(side_->Bigs.begin(), side_->Bigs.end());
    }
}

size_t LineBlock::SideBytes() const {
    if (!side_)
        return 0;
    return sizeof(Side) + side_->Longs.capacity() * sizeof(uint64_t) +
           side_->Steps.capacity() * sizeof(uint32_t) + side_->Bigs.capacity() * sizeof(uint64_t);
}

LineBlock::Side& LineBlock::TheSide() {
    if (!side_)
        side_ = std::make_unique<Side>();
    return *side_;
}

void LineBlock::DropSideIfUnused() {
    if (side_ && side_->LongMask == 0 && side_->Steps.empty())
        side_.reset();
}

} // namespace marrowlight
