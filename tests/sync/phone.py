#!/usr/bin/python3
# Plays a phone's calendar app against a CalDAV calendar with python3-caldav.
# phone.py URL USER PASSWORD COMMAND ...
#   dump                         every event as JSON: {uid: {summary, description, start, href}}
#   create UID YYYYMMDD SUMMARY  an all-day event
#   edit UID FIELD TEXT          FIELD: summary or description
#   delete UID
import json
import sys
from datetime import date, datetime, timedelta, timezone

import caldav
import icalendar

url, user, password, command, *args = sys.argv[1:]
client = caldav.DAVClient(url=url, username=user or None, password=password or None)
calendar = caldav.Calendar(client=client, url=url)


def by_uid(uid):
    return calendar.event_by_uid(uid)


if command == "dump":
    out = {}
    for ev in calendar.events():
        cal = icalendar.Calendar.from_ical(ev.data)
        for comp in cal.walk("VEVENT"):
            out[str(comp["UID"])] = {
                "summary": str(comp.get("SUMMARY", "")),
                "description": str(comp.get("DESCRIPTION", "")),
                "start": comp.decoded("DTSTART").strftime("%Y%m%d"),
            }
    print(json.dumps(out, ensure_ascii=False))
elif command == "create":
    uid, day, summary = args
    start = date(int(day[:4]), int(day[4:6]), int(day[6:]))
    cal = icalendar.Calendar()
    cal.add("prodid", "-//phone//EN")
    cal.add("version", "2.0")
    ev = icalendar.Event()
    ev.add("uid", uid)
    ev.add("dtstamp", datetime.now(timezone.utc))
    ev.add("dtstart", start)
    ev.add("dtend", start + timedelta(days=1))
    ev.add("summary", summary)
    cal.add_component(ev)
    calendar.save_event(cal.to_ical().decode())
elif command == "edit":
    uid, field, text = args
    ev = by_uid(uid)
    ev.vobject_instance.vevent.contents.pop(field, None)
    ev.vobject_instance.vevent.add(field).value = text
    ev.save()
elif command == "delete":
    by_uid(args[0]).delete()
