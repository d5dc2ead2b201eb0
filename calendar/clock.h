#pragma once
// The one clock of the program: every read of today or now goes through here, so tests and the
// command line can put the program at any moment.

#include "calendar/datetime.h"

namespace chimewell {

// The local date and time of the computer's clock, or the set moment while a ClockOverride lives.
TDateTime Now();
// The date part of Now().
TDateTime Today();

// Puts the clock at a chosen moment for as long as it lives; the moment stands still until moved.
// Overrides nest: the innermost one counts, and destroying it gives the outer one back.
class ClockOverride {
public:
    explicit ClockOverride(TDateTime moment);
    ~ClockOverride();
    ClockOverride(const ClockOverride&) = delete;
    ClockOverride& operator=(const ClockOverride&) = delete;

    void Set(TDateTime moment) { Moment = moment; }
    void AdvanceSeconds(int seconds);
    void AdvanceMinutes(int minutes);
    TDateTime Get() const { return Moment; }

private:
    TDateTime Moment;
    ClockOverride* Outer;
};

} // namespace chimewell
