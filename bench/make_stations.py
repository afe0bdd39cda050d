#!/usr/bin/env python3
"""Makes the station folders that bench/run.sh times, each a working folder
with its Quorel_RAV3000I2.ini, forecasts, publication and archive folders:

  quarter/       a "Rome" station sounding every 15 minutes: the six days
                 drawn, 96 soundings a day less a few (about 550 files)
  year/          a "La_Spezia" station sounding every 5 minutes, with a whole
                 year of soundings in its measurement folder (about 105,000
                 files) and the forecasts of the year's months
  unrecognised/  the quarter station's soundings, with a note listed first,
                 so that no station is recognised and no sounding is read
  empty/         an empty measurement folder

The six days end on 3 March 2024 (run plotmuf with --today 2024-03-03).
The output is the same on every run (fixed seed).

Usage: bench/make_stations.py FOLDER
"""

import datetime
import math
import pathlib
import random
import sys

LAST_DAY = datetime.date(2024, 3, 3)
FORECAST = {  # tenths of MHz, hours 00..23
    2: [61, 58, 55, 53, 56, 79, 124, 168, 199, 216, 225, 229, 228, 223, 217, 210, 201, 186, 160, 128, 101, 83, 72, 66],
    3: [68, 64, 60, 58, 62, 89, 139, 181, 212, 230, 241, 246, 245, 240, 233, 225, 216, 202, 176, 141, 112, 92, 80, 73],
}


def forecast_file(year, month):
    values = FORECAST[3 if month == 3 else 2]
    fields = "".join(f"{v / 10:5.1f}" for v in values)
    return f"MUF(3000)F2 monthly forecast, {datetime.date(year, month, 1):%B %Y}\r\n{fields}\r\n"


def value_at(day, hour, minute, drift, rng):
    # Follows the forecast of the day's month (February's for older days)
    # with a drift, a slow wave and some noise.
    values = FORECAST[3 if day.month == 3 else 2]
    t = hour + minute / 60
    a, b = values[int(t) % 24], values[(int(t) + 1) % 24]
    wave = 12 * math.sin((hour * 60 + minute + day.toordinal() * 97) / 140)
    return max(20, round(a + (b - a) * (t - int(t)) + drift + wave + rng.gauss(0, 6)))


def sounding(station, day, hour, minute, value):
    # Line 4 holds the value in characters 16 to 19: "12.3", " 9.5" or "N/A ".
    field = "N/A " if value is None else f"{value / 10:4.1f}"
    return (f"{station} automatic scaling {day:%Y-%m-%d} {hour:02d}:{minute:02d} UT\r\n"
            f"Day {day.timetuple().tm_yday:03d}\r\n"
            f"foF2 and M(3000)F2 from the autoscaled ionogram\r\n"
            f"MUF(3000)F2 =  {field} MHz\r\n"
            f"end\r\n").encode("ascii")


def write_soundings(folder, station, prefix, first_day, step_minutes, rng, missing=0.04, outages=True):
    count = 0
    day = first_day
    while day <= LAST_DAY:
        doy = day.timetuple().tm_yday
        drift = rng.uniform(-25, 25)
        outage = rng.randrange(0, 24) if outages else -1  # an hour with fewer soundings
        for slot in range(24 * 60 // step_minutes):
            hour, minute = divmod(slot * step_minutes, 60)
            if (outage == hour and rng.random() < 0.5) or rng.random() < missing:
                continue
            value = None if rng.random() < 0.08 else value_at(day, hour, minute, drift, rng)
            name = f"{prefix}{day.year}{doy:03d}{hour:02d}{minute:02d}00.TXT"
            (folder / name).write_bytes(sounding(station, day, hour, minute, value))
            count += 1
        day += datetime.timedelta(days=1)
    return count


def station_folder(root, name, months=((2024, 2), (2024, 3))):
    station = root / name
    for sub in ("previsioni/previous_RAV3000I2_plots", "autoscalati", "web"):
        (station / sub).mkdir(parents=True, exist_ok=True)
    (station / "Quorel_RAV3000I2.ini").write_bytes(
        b"Forecasts\r\nprevisioni\\\r\nSoundings\r\nautoscalati\\\r\nPublished charts\r\nweb\\\r\n")
    for year, month in months:
        (station / "previsioni" / f"{month:02d}{year}.txt").write_bytes(forecast_file(year, month).encode("ascii"))
    return station / "autoscalati"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    root = pathlib.Path(sys.argv[1])
    rng = random.Random(20240303)
    six_days_ago = LAST_DAY - datetime.timedelta(days=5)

    n = write_soundings(station_folder(root, "quarter"), "Rome RM041", "RM041_", six_days_ago, 15, rng)
    print(f"quarter: {n} soundings")

    year_months = [(2023, m) for m in range(3, 13)] + [(2024, m) for m in range(1, 4)]
    n = write_soundings(station_folder(root, "year", year_months), "La_Spezia SP044", "SP044_",
                        LAST_DAY - datetime.timedelta(days=365), 5, rng, missing=0.005, outages=False)
    print(f"year: {n} soundings")

    folder = station_folder(root, "unrecognised")
    n = write_soundings(folder, "Rome RM041", "RM041_", six_days_ago, 15, rng)
    (folder / "00_README.TXT").write_bytes(b"Soundings of the Rome station, written by the sounder\r\n")
    print(f"unrecognised: {n} soundings and a note")

    station_folder(root, "empty")
    print("empty: no files")


if __name__ == "__main__":
    main()
