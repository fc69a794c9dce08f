#pragma once

namespace marrowlight {

// Local date and time as days since 1899-12-30, the fraction being the time
// of day. Line records keep their arrival time in this form.
using DateTime = double;

// A moment given as seconds since 1970-01-01 UTC (with a millisecond part)
// in the machine's local time. File times reach the core this way.
DateTime LocalDateTimeFromUnix(long long seconds, int milliseconds = 0);

// "Now" comes through this interface so tests can fix it.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual DateTime Now() const = 0;
};

// The wall clock in local time.
class SystemClock : public Clock {
  public:
    DateTime Now() const override;
};

} // namespace marrowlight
