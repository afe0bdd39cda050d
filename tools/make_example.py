#!/usr/bin/env python3
"""Makes the example station's measurement files: six days of synthetic
soundings of a station of the "Rome" kind, ending on 3 March 2024.

The sounder runs every 15 minutes; now and then a sounding is missing (the
sounder was off), and now and then it gives no value ("N/A"). The values
follow the monthly forecast with a slow drift and some noise. The output is
the same on every run (fixed seed).

Usage: tools/make_example.py [example folder]   (default: example/)
"""

import datetime
import math
import pathlib
import random
import sys

LAST_DAY = datetime.date(2024, 3, 3)
FORECAST = {  # tenths of MHz, hours 00..23, as example/previsioni/mmyyyy.txt
    2: [61, 58, 55, 53, 56, 79, 124, 168, 199, 216, 225, 229, 228, 223, 217, 210, 201, 186, 160, 128, 101, 83, 72, 66],
    3: [68, 64, 60, 58, 62, 89, 139, 181, 212, 230, 241, 246, 245, 240, 233, 225, 216, 202, 176, 141, 112, 92, 80, 73],
}


def forecast(month, hour, minute):
    values = FORECAST[month]
    t = hour + minute / 60
    a, b = values[int(t) % 24], values[(int(t) + 1) % 24]
    return a + (b - a) * (t - int(t))


def sounding(name_day, when, value):
    # Line 4 holds the value in characters 16 to 19: "12.3", " 9.5" or "N/A ".
    field = "N/A " if value is None else f"{value / 10:4.1f}"
    return (f"Rome RM041 automatic scaling {when:%Y-%m-%d %H:%M} UT\r\n"
            f"Day {name_day}, 41.8N 12.5E\r\n"
            f"foF2 and M(3000)F2 from the autoscaled ionogram\r\n"
            f"MUF(3000)F2 =  {field} MHz\r\n"
            f"end\r\n")


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "example") / "autoscalati"
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.glob("RM041_*.TXT"):
        old.unlink()
    rng = random.Random(20240303)
    for back in range(5, -1, -1):
        day = LAST_DAY - datetime.timedelta(days=back)
        doy = day.timetuple().tm_yday
        drift = rng.uniform(-25, 25)
        outage = rng.randrange(0, 24)  # an hour or two with no soundings
        outage_hours = rng.choice((1, 2))
        for slot in range(96):
            hour, minute = divmod(slot * 15, 60)
            if outage <= hour < outage + outage_hours or rng.random() < 0.04:
                continue
            when = datetime.datetime(day.year, day.month, day.day, hour, minute)
            value = None
            if rng.random() > 0.08:
                wave = 12 * math.sin((slot + back * 7) / 9)
                value = max(20, round(forecast(day.month, hour, minute) + drift + wave + rng.gauss(0, 6)))
            name = f"RM041_{day.year}{doy:03d}{hour:02d}{minute:02d}00.TXT"
            (folder / name).write_bytes(sounding(doy, when, value).encode("ascii"))


if __name__ == "__main__":
    main()
