#!/usr/bin/env python3
"""Writes the measurement files of measure_driver.dvs: a driver made of
masses and springs (the figures of the shipped Alpine 6002cx with a lossy
voice coil), measured in free air and with 10 g on its cone, as a jig would
write them; the free-air file again with one line a faulty jig wrote, and a
file of noise that no driver made. Run in measure_driver.files/; the .check compares the window's
figures with the ones `--truth` prints."""
import cmath, json, math, random, sys

rho, c = 1.18, 345.0
fs, qms, qes, re, vas, diam = 33.5, 9.95, 0.575, 4.0, 246.4e-3, 258.0
le, r2, l2 = 0.6e-3, 3.0, 1.2e-3
added = 0.010
sd = math.pi * (diam / 2000) ** 2
ws = 2 * math.pi * fs
cms = vas / (rho * c * c * sd * sd)
mms = 1 / (ws * ws * cms)
bl = math.sqrt(re * ws * mms / qes)
rms = ws * mms / qms

def z(f, mass):
    w = 2 * math.pi * f
    coil = re + 1j * w * le + r2 * 1j * w * l2 / (r2 + 1j * w * l2)
    zm = rms + 1j * w * mass + 1 / (1j * w * cms)
    return coil + bl * bl / zm

def write(name, mass, bad_line=None):
    """bad_line: the point whose magnitude a faulty jig wrote as 80 ohm."""
    with open(name, "w") as out:
        out.write("* synthetic impedance, %s\n; Hz, ohm, degrees\n\n" % name)
        n = 300
        for i in range(n):
            f = 10 * (2000.0 ** (i / (n - 1)))
            v = z(f, mass)
            magnitude = 80.0 if i == bad_line else abs(v)
            out.write("%.8g\t%.8g\t%.8g\n" % (f, magnitude, math.degrees(cmath.phase(v))))

def write_noise(name):
    """No driver at all: |Z| 3 to 60 ohm and the phase within 60 degrees at random."""
    rnd = random.Random(2026)
    with open(name, "w") as out:
        out.write("* noise\n")
        for i in range(300):
            f = 10 * (2000.0 ** (i / 299))
            out.write("%.8g\t%.8g\t%.8g\n" % (f, rnd.uniform(3, 60), rnd.uniform(-60, 60)))

def truth():
    return {"fs": fs, "qms": qms, "qes": qes, "re": re, "vas": vas * 1e3, "diam": diam,
            "le": le * 1e3, "r2": r2, "l2": l2 * 1e3, "mms": mms * 1e3, "bl": bl,
            "cms": cms * 1e3, "sd": sd * 1e4, "added": added * 1e3}

if len(sys.argv) > 1 and sys.argv[1] == "--truth":
    json.dump(truth(), sys.stdout)
    sys.exit(0)

write("free_air.zma", mms)
write("mass_10g.zma", mms + added)
write("free_air_bad_line.zma", mms, bad_line=122)  # 222 Hz
write_noise("noise.zma")
with open("flat.zma", "w") as out:
    for i in range(40):
        out.write("%g,8.0,0\n" % (10 * 1.2 ** i))
with open("bad_line.zma", "w") as out:
    out.write("* a jig\n10 4 0\n20 4.1 1\n30 4 0 extra\n")
