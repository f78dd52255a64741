#!/usr/bin/env python3
"""Writes drifting-cell.txt: the 4-rib sample cell measured while its charge-transfer resistance
grows by 30 % over the sweep (with the square of the time), as an ageing electrode does; the same
bounded Warburg element, frequencies and noise as examples/generate.py."""
import cmath
import math
import pathlib
import random

RS, RCT, Q, N, SIGMA, TAU_D = 12.4, 185.0, 4.2e-5, 0.87, 21.0, 4.0
DRIFT = 0.30


def impedance(f, rct):
    w = 2 * math.pi * f
    s = cmath.sqrt(1j * w * TAU_D)
    warburg = SIGMA * math.sqrt(2 * TAU_D) * cmath.tanh(s) / s
    return RS + 1 / (Q * (1j * w) ** N + 1 / (rct + warburg))


def main():
    noise = random.Random(20261209)
    count = 61
    lines = [str(count)]
    for i in range(count):
        f = float(f"{1e5 * 10 ** (-i / 10):.6g}")
        time = i / (count - 1)
        z = impedance(f, RCT * (1 + DRIFT * time * time)) * (1 + noise.gauss(0, 0.002))
        lines.append(f"{f:.6g}\t{z.real:.6g}\t{z.imag:.6g}")
    path = pathlib.Path(__file__).resolve().with_suffix(".txt")
    path.write_text("\n".join(lines) + "\n", encoding="ascii")


if __name__ == "__main__":
    main()
