"""Reads an iCalendar file with the icalendar package and prints one line per
event (uid, start, end, rule, summary, description as JSON), after checking
that no physical line is longer than 75 octets, every line ends in CR LF and
no control character stands raw in it."""
import json
import re
import sys

import icalendar


def main(path):
    raw = open(path, "rb").read()
    if re.search(rb"[\x00-\x08\x0b\x0c\x0e-\x1f\x7f]", raw):
        sys.exit("a control character raw in the file")
    lines = raw.split(b"\r\n")
    if lines[-1] != b"":
        sys.exit("the file does not end with CR LF")
    for n, line in enumerate(lines[:-1], 1):
        if b"\n" in line or b"\r" in line:
            sys.exit(f"line {n}: a bare line end")
        if len(line) > 75:
            sys.exit(f"line {n}: {len(line)} octets")
        line.decode("utf-8")  # a fold never splits a character
    cal = icalendar.Calendar.from_ical(raw)
    for ev in cal.walk("VEVENT"):
        rule = ev.get("RRULE")
        print(json.dumps([
            str(ev["UID"]),
            ev.decoded("DTSTART").isoformat(),
            ev.decoded("DTEND").isoformat(),
            rule.to_ical().decode() if rule else "",
            str(ev.get("SUMMARY", "")),
            str(ev.get("DESCRIPTION", "")),
        ], ensure_ascii=False))


if __name__ == "__main__":
    main(sys.argv[1])
