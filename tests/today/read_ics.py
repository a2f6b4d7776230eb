#!/usr/bin/env python3
"""Reads an iCalendar file with the icalendar package and prints its events
and to-dos as JSON, for the C++ test to compare: a parser that did not
write the file is the judge of what a calendar program will read."""
import json
import sys
from urllib.parse import unquote, urlparse

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
            item["start"] = component.decoded("DTSTART").isoformat()
            item["end"] = component.decoded("DTEND").isoformat()
        items.append(item)
    json.dump({"version": str(calendar.get("VERSION")), "items": items}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
