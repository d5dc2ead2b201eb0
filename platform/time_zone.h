#pragma once
// Following a change of the local time zone while the program runs. `timedatectl set-timezone` replaces
// /etc/localtime, and a TZ=":FILE" may name a file that is replaced; the C library reads its zone once and
// keeps it (localtime_r never looks again, and tzset() does not either while TZ reads as before), so a 10:30
// reminder would keep firing at 10:30 of the old zone.

#include <string>

namespace chimewell {

// The file the local zone is read from: the file TZ names (":FILE", or an absolute path), else /etc/localtime.
std::string TimeZoneFile();
// Makes the C library read the zone again when its file changed since the last call (the first call reads it
// in any case). True when it changed.
bool FollowTimeZoneChange();
// The name of the local zone in the zone database ("Asia/Shanghai"), as TZ or /etc/localtime names it; empty
// when neither names one (a POSIX rule in TZ, a zone file of no known name).
std::string LocalTimeZoneName();
// Makes the C library read the zone again now, whatever TZ holds.
void ReloadTimeZone();

} // namespace chimewell
