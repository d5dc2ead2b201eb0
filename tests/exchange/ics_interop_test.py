#!/usr/bin/python3
"""Calendars written by `chimewell-cli ics`, read by peers that share no code with the program.

Random reminders of every kind go into a data file as a person's copy of the program would keep it; the
exported calendar must then
  * parse with python3-icalendar, whose occurrences (DTSTART, RRULE expanded by dateutil, RDATE) and alarm
    minutes equal, for every reminder, the firings `chimewell-cli next` lists;
  * be taken by a real Radicale started here on 127.0.0.1, event by event, and every sampled occurrence be
    found by a CalDAV time-range query;
  * with --lunar-rules, carry its lunar rules as RSCALE=CHINESE rules, which Radicale refuses as the peers do.

Usage: ics_interop_test.py CHIMEWELL_CLI
"""

import base64
import datetime
import os
import random
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request
import uuid

import dateutil.rrule
import icalendar

CLI = sys.argv[1]
AT = datetime.datetime(2026, 12, 9, 10, 0)
YEARS = 3
DAYS = YEARS * 36525 // 100
UNTIL = AT + datetime.timedelta(days=DAYS)
FAILURES = []


def fail(text):
    FAILURES.append(text)
    print("FAIL:", text, file=sys.stderr)


# ---- random reminders --------------------------------------------------------------------------------------

def random_reminder(rng, kind):
    r = dict(Year=0, Month=0, Day=0, Hour=rng.randrange(24), Minuter=rng.randrange(60), Forward=0, Method=0,
             IsLunar=0, IsLeapMonth=0, WithScript=0, AutoExecScript=0, Reminded=rng.choice([0, 0, 1]),
             Music="", Command="", Message="提醒 %d #y-#m-#d" % kind)
    if rng.random() < 0.4:
        r["Forward"] = rng.choice([1, 5, 10, 30])
    weekdays = 0x80 | rng.randrange(1, 0x80)
    choice = kind % 16
    if choice == 0:    # a fixed Gregorian date, coming or gone
        r.update(Year=rng.choice([2025, 2027, 2028]), Month=rng.randrange(1, 13), Day=rng.randrange(1, 29))
    elif choice == 1:  # every year
        r.update(Month=rng.randrange(1, 13), Day=rng.choice([1, 15, 28, 29, 30, 31]))
    elif choice == 2:  # every month
        r.update(Day=rng.choice([1, 10, 29, 30, 31]))
    elif choice == 3:  # every day
        pass
    elif choice == 4:  # weekdays, in one month or all
        r.update(Day=weekdays, Month=rng.choice([0, 0, rng.randrange(1, 13)]))
    elif choice == 5:  # a year's month, or every day of a year
        r.update(Year=rng.choice([2027, 2028]), Month=rng.choice([0, rng.randrange(1, 13)]),
                 Day=rng.choice([0, 0, rng.randrange(1, 29)]))
    elif choice == 6:  # lunar every year
        r.update(IsLunar=1, Month=rng.randrange(1, 13), Day=rng.randrange(1, 31))
    elif choice == 7:  # lunar every month, day 30 included
        r.update(IsLunar=1, Day=rng.choice([1, 15, 29, 30]))
    elif choice == 8:  # a lunar leap month
        r.update(IsLunar=1, Month=rng.choice([2, 5, 6]), Day=rng.randrange(1, 31), IsLeapMonth=1)
    elif choice == 9:  # a solar term
        r.update(IsLunar=1, Month=13, Day=rng.randrange(24))
    elif choice == 10:  # a week condition
        r.update(Day=rng.choice([0, weekdays]),
                 Message=rng.choice(["$mwd$单周", "$mws$双周", "$mw2$第二周", "$mwo1$第一个", "$ywm3$每三周"]))
    elif choice == 11:  # official workdays and rest days
        r.update(Message=rng.choice(["$gzr$上班", "$xxr$休息"]))
    elif choice == 12:  # hourly and start-up methods
        r.update(Month=rng.choice([0, rng.randrange(1, 13)]), Day=rng.choice([0, rng.randrange(1, 29)]),
                 Method=rng.randrange(1, 4))
    elif choice == 13:  # a lunar fixed date
        r.update(IsLunar=1, Year=rng.choice([2026, 2027, 2028]), Month=rng.randrange(1, 13),
                 Day=rng.randrange(1, 30))
    elif choice == 14:  # a command and texts a calendar must escape
        r.update(Month=rng.randrange(1, 13), Day=rng.randrange(1, 29), Command="c:\\a,b;c d.exe",
                 Music="/音乐/a;b,c.mp3", Message="逗号,分号;反斜杠\\ 冒号: #h点")
    else:              # never again: a day no month has
        r.update(Month=4, Day=31)
    return r


def write_data_file(path, reminders):
    lines = ["[Main]", "Items=%d" % len(reminders)]
    for n, r in enumerate(reminders, 1):
        lines.append("[Item%d]" % n)
        for key in ("Year", "Month", "Day", "Hour", "Minuter", "Forward", "Method", "IsLunar", "IsLeapMonth",
                    "WithScript", "AutoExecScript", "Reminded", "Music", "Command", "Message"):
            lines.append("%s=%s" % (key, r[key]))
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("gb18030"))


def run(*arguments):
    return subprocess.run([CLI] + list(arguments), check=True, capture_output=True, text=True).stdout


# ---- what the second reader sees ---------------------------------------------------------------------------

def naive(moment):
    """A reader's time as local wall time of the test's zone (TZ)."""
    if isinstance(moment, datetime.datetime):
        if moment.tzinfo is not None:
            return moment.astimezone().replace(tzinfo=None)
        return moment
    return datetime.datetime(moment.year, moment.month, moment.day)


def occurrences(event):
    start = event.decoded("DTSTART")
    moments = {naive(start)}
    rule = event.get("RRULE")
    if rule is not None:
        text = rule.to_ical().decode()
        dtstart = start if isinstance(start, datetime.datetime) else naive(start)
        for moment in dateutil.rrule.rrulestr(text, dtstart=dtstart):
            moment = naive(moment)
            if moment > UNTIL + datetime.timedelta(days=2):
                break
            moments.add(moment)
    dates = event.get("RDATE")
    if dates is not None:
        for listed in dates if isinstance(dates, list) else [dates]:
            for value in listed.dts:
                moments.add(naive(value.dt))
    exceptions = event.get("EXDATE")
    if exceptions is not None:
        for listed in exceptions if isinstance(exceptions, list) else [exceptions]:
            for value in listed.dts:
                moments.discard(naive(value.dt))
    return sorted(moments)


def alarm_minutes(event):
    offsets = []
    for alarm in event.walk("VALARM"):
        offsets.append(-alarm.decoded("TRIGGER"))
    return offsets


def expected_firings(event):
    minutes = set()
    for start in occurrences(event):
        for before in alarm_minutes(event):
            moment = start - before
            # The early minute of a day that begins too late for it is no firing.
            if moment.date() == start.date() and AT < moment <= UNTIL:
                minutes.add(moment)
    return minutes


def cli_firings(days):
    listed = {}
    out = run("next", "--dir", FOLDER, "--at", AT.strftime("%Y-%m-%d %H:%M"), "--days", str(days),
              "--count", "100000")
    for line in out.splitlines():
        minute, index = line.split("\t")[:2]
        listed.setdefault(int(index), set()).add(datetime.datetime.strptime(minute, "%Y-%m-%d %H:%M"))
    return listed


def hourly_firings(reminder, index, listed, due_first_hour):
    """What an hourly reminder does: its set minutes, and every full hour of their days (of the export's own day
    too, when its next full hour fires it though its set minute has passed); other calendars have no early minute
    for it."""
    set_minutes = {m for m in listed if (m.hour, m.minute) == (reminder["Hour"], reminder["Minuter"])}
    days = {m.date() for m in set_minutes}
    if index in due_first_hour:
        days.add(AT.date())
    hours = {datetime.datetime.combine(day, datetime.time(hour)) for day in days for hour in range(24)}
    return {m for m in set_minutes | hours if AT < m <= UNTIL}


def check_expansions(calendar, reminders):
    count = len(reminders)
    events = calendar.walk("VEVENT")
    if len(events) != count:
        fail("%d events for %d reminders" % (len(events), count))
        return
    # A day past the end, for the full hours of a last day whose set minute lies beyond it.
    listed = cli_firings(DAYS + 1)
    next_hour = (AT + datetime.timedelta(hours=1)).replace(minute=0)
    due = run("due", "--dir", FOLDER, "--at", next_hour.strftime("%Y-%m-%d %H:%M"))
    due_first_hour = {int(line.split("\t")[0]) for line in due.splitlines() if "\thourly\t" in line}
    uids = set()
    for index, event in enumerate(events):
        uids.add(str(event.get("UID")))
        got = expected_firings(event)
        want = {m for m in listed.get(index, set()) if m <= UNTIL}
        if reminders[index]["Method"] in (1, 3):
            want = hourly_firings(reminders[index], index, listed.get(index, set()), due_first_hour)
        if str(event.get("STATUS", "")) == "CANCELLED":
            got = set()
        if got != want:
            fail("reminder %d (%s): the reader's firings differ from chimewell-cli next:\n  only in the file: %s\n"
                 "  only in next: %s" % (index + 1, event.get("DESCRIPTION"), sorted(got - want)[:5],
                                          sorted(want - got)[:5]))
    if len(uids) != count:
        fail("UIDs are not unique")


# ---- a real CalDAV server ----------------------------------------------------------------------------------

def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Radicale:
    def __init__(self, folder):
        self.port = free_port()
        self.base = "http://127.0.0.1:%d" % self.port
        self.log = open(os.path.join(folder, "radicale.log"), "w")
        self.process = subprocess.Popen(
            ["radicale", "-C", "", "--server-hosts", "127.0.0.1:%d" % self.port, "--storage-filesystem-folder",
             os.path.join(folder, "collections"), "--auth-type", "none", "--rights-type", "owner_only",
             "--logging-level", "warning"], stdout=self.log, stderr=subprocess.STDOUT)
        for _ in range(200):
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return
            except OSError:
                time.sleep(0.05)
        raise RuntimeError("radicale did not start")

    def stop(self):
        self.process.terminate()
        self.process.wait(10)
        self.log.close()

    def request(self, method, path, body=b"", headers=None):
        request = urllib.request.Request(self.base + path, data=body, method=method)
        request.add_header("Authorization", "Basic " + base64.b64encode(b"tester:x").decode())
        for key, value in (headers or {}).items():
            request.add_header(key, value)
        try:
            with urllib.request.urlopen(request, timeout=30) as response:
                return response.status, response.read().decode()
        except urllib.error.HTTPError as error:
            return error.code, error.read().decode()


def utc_text(moment):
    return moment.astimezone(datetime.timezone.utc).strftime("%Y%m%dT%H%M%SZ")


def time_range_query(server, collection, start, end):
    body = ("""<?xml version="1.0" encoding="utf-8"?>
<C:calendar-query xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav">
  <D:prop><D:getetag/></D:prop>
  <C:filter><C:comp-filter name="VCALENDAR"><C:comp-filter name="VEVENT">
    <C:time-range start="%s" end="%s"/>
  </C:comp-filter></C:comp-filter></C:filter>
</C:calendar-query>""" % (utc_text(start), utc_text(end))).encode()
    status, text = server.request("REPORT", collection, body, {"Depth": "1", "Content-Type": "application/xml"})
    if status != 207:
        fail("time-range query answered %d" % status)
    return text


def split_calendar(raw):
    """The calendar's own bytes: its head (through the VTIMEZONE), and each VEVENT by its UID."""
    text = raw.decode()
    head = text[:text.index("BEGIN:VEVENT")]
    events = {}
    for block in text.split("BEGIN:VEVENT")[1:]:
        block = "BEGIN:VEVENT" + block[:block.index("END:VEVENT")] + "END:VEVENT\r\n"
        unfolded = block.replace("\r\n ", "")
        uid = unfolded.split("\r\nUID:")[1].split("\r\n")[0]
        events[uid] = (head + block + "END:VCALENDAR\r\n").encode()
    return events


def check_server(folder, plain_file, lunar_file):
    server = Radicale(folder)
    try:
        # Calendars of eight events each: every query makes the server expand all events of its calendar.
        collections = ["/tester/reminders-%d/" % n for n in range(12)]
        for collection in collections:
            status, _ = server.request("MKCALENDAR", collection)
            if status != 201:
                fail("MKCALENDAR answered %d" % status)
        with open(plain_file, "rb") as f:
            raw = f.read()
        calendar = icalendar.Calendar.from_ical(raw)
        singles = split_calendar(raw)
        rng = random.Random(7)
        queried = 0
        for number, event in enumerate(calendar.walk("VEVENT")):
            collection = collections[number * len(collections) // len(calendar.walk("VEVENT"))]
            uid = str(event.get("UID"))
            status, text = server.request("PUT", collection + uid + ".ics", singles[uid],
                                          {"Content-Type": "text/calendar; charset=utf-8"})
            if status not in (200, 201):
                fail("the server refused event %s (%d): %s" % (event.get("DESCRIPTION"), status, text[:200]))
                continue
            if str(event.get("STATUS", "")) == "CANCELLED":
                continue
            coming = [m for m in occurrences(event) if AT < m <= UNTIL]
            sample = coming[:2] + coming[-1:] + rng.sample(coming, min(3, len(coming)))
            for moment in sorted(set(sample)):
                local = moment.astimezone()
                found = time_range_query(server, collection, local, local + datetime.timedelta(minutes=1))
                queried += 1
                if uid not in found:
                    fail("the server does not find %s at %s" % (event.get("DESCRIPTION"), moment))
        if queried == 0:
            fail("no occurrence was queried")
        # Peers refuse RFC 7529 rules; the file with them must still parse here.
        with open(lunar_file, "rb") as f:
            raw = f.read()
        lunar = icalendar.Calendar.from_ical(raw)
        lunar_singles = split_calendar(raw)
        rules = [e for e in lunar.walk("VEVENT") if e.get("RRULE") is not None and "RSCALE" in e.get("RRULE")]
        if not rules:
            fail("--lunar-rules wrote no RSCALE rule")
        for event in rules:
            status, _ = server.request("PUT", collection + "lunar-" + str(event.get("UID")) + ".ics",
                                       lunar_singles[str(event.get("UID"))], {"Content-Type": "text/calendar"})
            if status in (200, 201):
                print("note: the server took an RSCALE rule", file=sys.stderr)
            break
    finally:
        server.stop()


def timed(label, start):
    print("%s: %.1f s" % (label, time.time() - start), file=sys.stderr)


def main():
    global FOLDER
    work = tempfile.mkdtemp(prefix="chimewell-ics-")
    try:
        FOLDER = os.path.join(work, "data")
        os.mkdir(FOLDER)
        rng = random.Random(20261209)
        reminders = [random_reminder(rng, kind) for kind in range(96)]
        write_data_file(os.path.join(FOLDER, "reminddata.sdt"), reminders)
        plain = os.path.join(work, "plain.ics")
        lunar = os.path.join(work, "lunar.ics")
        at = AT.strftime("%Y-%m-%d %H:%M")
        run("ics", "--dir", FOLDER, "--at", at, "--years", str(YEARS), plain)
        run("ics", "--dir", FOLDER, "--at", at, "--years", str(YEARS), "--lunar-rules", lunar)
        with open(plain, "rb") as f:
            calendar = icalendar.Calendar.from_ical(f.read())
        started = time.time()
        check_expansions(calendar, reminders)
        timed("expansions", started)
        # The second export gives every reminder the UID of the first.
        with open(lunar, "rb") as f:
            again = icalendar.Calendar.from_ical(f.read())
        if [str(e.get("UID")) for e in again.walk("VEVENT")] != [str(e.get("UID")) for e in calendar.walk("VEVENT")]:
            fail("a second export gave other UIDs")
        started = time.time()
        check_server(work, plain, lunar)
        timed("server", started)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if FAILURES:
        print("%d failures" % len(FAILURES), file=sys.stderr)
        return 1
    print("ok")
    return 0


if __name__ == "__main__":
    sys.exit(main())
