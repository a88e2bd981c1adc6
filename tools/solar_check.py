"""Compares SolarPosition (through the solar_angles program) with PyEphem at
random UTC instants of 1950-2100 and random places; prints the largest
differences; fails past 0.002 degree of zenith (they agree to 0.0004: a
wrong parallax or aberration shows) or 0.01 of azimuth with the sun 5 degrees
or more from zenith and nadir: near either, azimuth grows as 1/sin(zenith).
The differences come from both sides' truncated series and, after the
2020s, their two Delta T predictions.
    python3 tools/solar_check.py BUILD/solar_angles [SAMPLES] [SEED]"""
import datetime, math, random, subprocess, sys
import ephem

program, count, seed = (sys.argv + ["10000", "1"])[1:4]
count, rng = int(count), random.Random(int(seed))
start = datetime.datetime(1950, 1, 1)
span = int((datetime.datetime(2101, 1, 1) - start).total_seconds())
samples = [(start + datetime.timedelta(seconds=rng.randrange(span)),
            math.degrees(math.asin(rng.uniform(-1, 1))), rng.uniform(-180, 180),
            rng.uniform(0, 5000)) for _ in range(count)]
lines = "".join(f"{t:%Y %m %d %H %M %S} {lat!r} {lon!r} {alt!r}\n" for t, lat, lon, alt in samples)
ours = subprocess.run([program], input=lines, capture_output=True, text=True, check=True)
assert len(ours.stdout.splitlines()) == count, "solar_angles answered fewer lines"
observer, worst_zenith, worst_azimuth = ephem.Observer(), (0, ""), (0, "")
observer.pressure = 0  # no refraction
for (t, lat, lon, alt), line in zip(samples, ours.stdout.splitlines()):
    observer.lat, observer.lon, observer.elevation = math.radians(lat), math.radians(lon), alt
    observer.date = ephem.Date(t)
    sun = ephem.Sun(observer)
    zenith, azimuth = 90 - math.degrees(sun.alt), math.degrees(sun.az)
    our_zenith, our_azimuth = map(float, line.split())
    dz = abs(our_zenith - zenith)
    da = abs((our_azimuth - azimuth + 180) % 360 - 180) if 5 <= zenith <= 175 else 0
    where = f"{t} UTC, {lat:.4f} {lon:.4f}"
    worst_zenith, worst_azimuth = max(worst_zenith, (dz, where)), max(worst_azimuth, (da, where))
print(f"samples: {count}")
print(f"largest zenith difference: {worst_zenith[0]:.6f} deg ({worst_zenith[1]})")
print(f"largest azimuth difference (5 <= zenith <= 175): {worst_azimuth[0]:.6f} deg ({worst_azimuth[1]})")
sys.exit(0 if worst_zenith[0] < 0.002 and worst_azimuth[0] < 0.01 else 1)
