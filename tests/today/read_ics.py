#!/usr/bin/env python3
"""Reads an iCalendar file with the icalendar package and prints its events
and to-dos as JSON, for the C++ test to compare: a parser that did not
write the file is the judge of what a calendar program will read. A
repeating item's days within the asked span (argv[2] and argv[3], ISO
dates) are expanded by dateutil, as calendar programs do."""
import json
import sys
from datetime import datetime
from urllib.parse import unquote, urlparse

from dateutil.rrule import rrulestr
from icalendar import Calendar


def main():
    with open(sys.argv[1], "rb") as feed:
        calendar = Calendar.from_ical(feed.read())
    items = []
    for component in calendar.walk():
        if component.name not in ("VEVENT", "VTODO"):
            continue
        attach = component.get("ATTACH")
        uri = urlparse(str(attach))
        item = {
            "kind": component.name,
            "uid": str(component.get("UID")),
            "summary": str(component.get("SUMMARY")),
            "description": str(component.get("DESCRIPTION")),
            "fmttype": attach.params.get("FMTTYPE"),
            "scheme": uri.scheme,
            "file": unquote(uri.path),
            "stamped": "DTSTAMP" in component,
        }
        if "DTSTART" in component:
            start = component.decoded("DTSTART")
            item["start"] = start.isoformat()
            item["end"] = component.decoded("DTEND").isoformat()
            if "RRULE" in component:
                rule = rrulestr(component["RRULE"].to_ical().decode(), dtstart=datetime.combine(start, datetime.min.time()))
                first, last = (datetime.fromisoformat(day) for day in sys.argv[2:4])
                item["days"] = [day.date().isoformat() for day in rule.between(first, last, inc=True)]
        items.append(item)
    json.dump({"version": str(calendar.get("VERSION")), "items": items}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
