#!/usr/bin/python3
"""The firings a reader that shares no code with the program finds in an exported calendar.

python3-icalendar reads the file and dateutil expands each event's RRULE (INTERVAL, COUNT, UNTIL, WKST), RDATE
and EXDATE; every VALARM's trigger, relative to the start, goes off before each occurrence. The minutes so found
within (FROM, UNTIL] must equal, event by event, those the program's own engine lists in the expected file:
one line per event, "UID<TAB>yyyy-mm-dd HH:MM<TAB>…".

Usage: ics_schedule_check.py CALENDAR.ics EXPECTED.txt "yyyy-mm-dd HH:MM" "yyyy-mm-dd HH:MM"
"""

import datetime
import sys

import dateutil.rrule
import icalendar

MINUTE = "%Y-%m-%d %H:%M"


def naive(moment):
    """A reader's time as local wall time of the test's zone (TZ)."""
    if isinstance(moment, datetime.datetime):
        if moment.tzinfo is not None:
            return moment.astimezone().replace(tzinfo=None)
        return moment
    return datetime.datetime(moment.year, moment.month, moment.day)


def listed(event, name):
    values = event.get(name)
    if values is None:
        return []
    moments = []
    for group in values if isinstance(values, list) else [values]:
        moments.extend(naive(value.dt) for value in group.dts)
    return moments


def occurrences(event, through):
    start = event.decoded("DTSTART")
    moments = {naive(start)}
    rule = event.get("RRULE")
    if rule is not None:
        # dateutil wants a zone-aware start for a rule whose UNTIL is in UTC.
        for moment in dateutil.rrule.rrulestr(rule.to_ical().decode(), dtstart=start):
            moment = naive(moment)
            if moment > through:
                break
            moments.add(moment)
    moments.update(listed(event, "RDATE"))
    moments.difference_update(listed(event, "EXDATE"))
    return moments


def firings(event, after, until):
    # Warnings reach at most 60 days ahead of the occurrence they warn of.
    starts = occurrences(event, until + datetime.timedelta(days=61))
    befores = [-alarm.decoded("TRIGGER") for alarm in event.walk("VALARM")]
    return {start - before for start in starts for before in befores if after < start - before <= until}


def main():
    calendar_file, expected_file, after_text, until_text = sys.argv[1:5]
    after = datetime.datetime.strptime(after_text, MINUTE)
    until = datetime.datetime.strptime(until_text, MINUTE)
    with open(calendar_file, "rb") as f:
        calendar = icalendar.Calendar.from_ical(f.read())
    expected = {}
    with open(expected_file, encoding="utf-8") as f:
        for line in f.read().splitlines():
            uid, *minutes = line.split("\t")
            expected[uid] = {datetime.datetime.strptime(m, MINUTE) for m in minutes if m}
    failures = 0
    events = calendar.walk("VEVENT")
    for event in events:
        uid = str(event.get("UID"))
        got = set() if str(event.get("STATUS", "")) == "CANCELLED" else firings(event, after, until)
        want = expected.pop(uid, None)
        if want is None:
            print("event %s is not expected" % uid)
            failures += 1
        elif got != want:
            print("%s (%s):\n  only in the file: %s\n  only in the engine: %s" %
                  (uid, event.get("DESCRIPTION"), sorted(got - want)[:4], sorted(want - got)[:4]))
            failures += 1
    for uid in expected:
        print("no event for %s" % uid)
        failures += 1
    print("%d events, %d differ" % (len(events), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
