#!/usr/bin/env python3
"""Makes the sample step files: one cell measured with 4 ribs and with 3 ribs.

The cell is a Randles circuit: a series resistance Rs, then a charge-transfer resistance Rct in
series with a Warburg element, the two parallel to a constant-phase element (Q, n). The cell has a
finite thickness, so diffusion reaches its far side: the Warburg element is bounded (transmissive),
with the coefficient sigma at high frequencies and the diffusion time tau_d, after which it ends in
the resistance sigma * sqrt(2 tau_d) instead of growing without limit. Removing a rib shrinks the
electrode area, so the interface terms grow and the CPE shrinks. A little measurement noise,
from a fixed seed, makes the spectra look measured.

Writes comma/ (decimal commas) and point/ (full stops) beside this script.
"""
import cmath
import math
import pathlib
import random

POINTS_PER_DECADE = 10
F_MAX, F_MIN = 1e5, 0.1

CONFIGURATIONS = {
    # name: (Rs [Ohm], Rct [Ohm], Q [S s^n], n, sigma [Ohm s^-1/2], tau_d [s])
    "4-zebra": (12.4, 185.0, 4.2e-5, 0.87, 21.0, 4.0),
    "3-zebra": (12.9, 247.0, 3.1e-5, 0.87, 28.5, 4.0),
}


def frequencies():
    decades = round(math.log10(F_MAX / F_MIN))
    count = decades * POINTS_PER_DECADE + 1
    # Rounded to 6 significant digits, as an analyser writes them; identical in both files.
    return [float(f"{F_MAX * 10 ** (-i / POINTS_PER_DECADE):.6g}") for i in range(count)]


def impedance(f, rs, rct, q, n, sigma, tau_d):
    w = 2 * math.pi * f
    s = cmath.sqrt(1j * w * tau_d)
    warburg = sigma * math.sqrt(2 * tau_d) * cmath.tanh(s) / s
    cpe_admittance = q * (1j * w) ** n
    return rs + 1 / (cpe_admittance + 1 / (rct + warburg))


def text(value, separator):
    return f"{value:.6g}".replace(".", separator)


def write(folder, name, points, separator):
    lines = [str(len(points))]
    for f, z in points:
        lines.append(f"{text(f, separator)}\t{text(z.real, separator)}\t{text(z.imag, separator)}")
    (folder / f"{name}.txt").write_text("\n".join(lines) + "\n", encoding="ascii")


def main():
    here = pathlib.Path(__file__).resolve().parent
    noise = random.Random(20261209)
    spectra = {}
    for name, parameters in CONFIGURATIONS.items():
        points = []
        for f in frequencies():
            z = impedance(f, *parameters)
            z *= 1 + noise.gauss(0, 0.002)  # 0.2 % relative noise
            points.append((f, z))
        spectra[name] = points
    for folder_name, separator in (("comma", ","), ("point", ".")):
        folder = here / folder_name
        folder.mkdir(exist_ok=True)
        for name, points in spectra.items():
            write(folder, name, points, separator)


if __name__ == "__main__":
    main()
