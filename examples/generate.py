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
import decimal
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
    write_instrument_files(here / "instruments", spectra)


# ---- the same spectra as the potentiostats' own text files ----
#
# instruments/ gets each configuration as Gamry, BioLogic EC-Lab, ZPlot, CH Instruments and
# Metrohm Autolab NOVA write it. Each value is written with exactly the digits of the step files
# (6 significant), in the instrument's own notation, so every file loads the very same points
# as its step twin.

RIBS = {"4-zebra": 4, "3-zebra": 3}


def exact(value):
    """The value as the step files write it, as an exact decimal."""
    return decimal.Decimal(f"{value:.6g}")


def scientific(value, digits, exponent_width, e="E"):
    """Like C's %.{digits}E with the exponent padded to exponent_width digits."""
    number = exact(value)
    if number == 0:
        return f"{0:.{digits}f}{e}+{'0' * exponent_width}"
    mantissa, exponent = format(number, f".{digits}E").split("E")
    sign = "-" if exponent.startswith("-") else "+"
    return f"{mantissa}{e}{sign}{exponent.lstrip('+-').zfill(exponent_width)}"


def general(value, separator="."):
    return f"{value:.6g}".upper().replace(".", separator)


def save(path, lines, encoding, bom=b""):
    path.write_bytes(bom + "\r\n".join(lines).encode(encoding) + b"\r\n")


def polar(z):
    return abs(z), math.degrees(cmath.phase(z))


def sweep_times(points):
    """Seconds since the sweep began, as a potentiostat records them."""
    t, times = 0.0, []
    for f, _ in points:
        t += max(1.0, 3 / f)
        times.append(round(t, 3))
    return times


def write_gamry(folder, name, points):
    """Gamry Framework .DTA from a Czech Windows: decimal commas, Latin-1."""
    c = ","
    ribs = RIBS[name]
    lines = [
        "EXPLAIN",
        "TAG\tEISPOT",
        "TITLE\tLABEL\tPotentiostatic EIS\tTest &Identifier",
        "DATE\tLABEL\t9.12.2026\tDate",
        "TIME\tLABEL\t10:15:02\tTime",
        "NOTES\tNOTES\t1\t&Notes...",
        f"\tSample cell, {ribs} ribs",
        "PSTAT\tPSTAT\tREF600-21047\tPotentiostat",
        "VDC\tPOTEN\t0,00000E+000\tT\tDC &Voltage (V)",
        "FREQINIT\tQUANT\t1,00000E+005\t&Initial Freq. (Hz)",
        "FREQFINAL\tQUANT\t1,00000E-001\t&Final Freq. (Hz)",
        "PTSPERDEC\tQUANT\t1,00000E+001\t&Points/decade",
        "VAC\tQUANT\t1,00000E+001\tAC &Voltage (mV rms)",
        "AREA\tQUANT\t1,00000E+000\t&Area (cm^2)",
        "ZGUESS\tQUANT\t1,00000E+002\t&Estimated Z (ohms)",
        "OCVCURVE\tTABLE\t5",
        "\tPt\tT\tVf\tVm\tAch\tOver\tTemp",
        "\t#\ts\tV vs. Ref.\tV\tV\tbits\tdeg C",
    ]
    for i in range(5):
        lines.append(f"\t{i}\t{general(0.5 * (i + 1), c)}\t{general(-0.1234 + 1e-4 * i, c)}"
                     f"\t{general(-0.1234 + 1e-4 * i, c)}\t0\t...........\t0")
    lines += [
        "EOC\tQUANT\t-0,1230\tOpen Circuit (V)",
        "ZCURVE\tTABLE",
        "\tPt\tTime\tFreq\tZreal\tZimag\tZsig\tZmod\tZphz\tIdc\tVdc\tIERange",
        "\t#\ts\tHz\tohm\tohm\tV\tohm\t\u00b0\tA\tV\t#",
    ]
    for i, ((f, z), t) in enumerate(zip(points, sweep_times(points))):
        modulus, phase = polar(z)
        lines.append("\t" + "\t".join([
            str(i), general(t, c), general(f, c), general(z.real, c), general(z.imag, c), "1",
            general(modulus, c), general(phase, c), general(-1.2e-9 * (1 + i % 3), c),
            general(-0.1230, c), "5" if f > 1000 else "4"]))
    save(folder / f"{name}.DTA", lines, "latin-1")


def write_biologic(folder, name, points):
    """EC-Lab .mpt: Latin-1 (µ, ²), full stops, the columns of a PEIS with the counter electrode."""
    ribs = RIBS[name]
    columns = ["freq/Hz", "Re(Z)/Ohm", "-Im(Z)/Ohm", "|Z|/Ohm", "Phase(Z)/deg", "time/s",
               "<Ewe>/V", "<I>/mA", "Cs/\u00b5F", "Cp/\u00b5F", "cycle number", "I Range",
               "|Ewe|/V", "|I|/A", "Ns", "(Q-Qo)/mA.h", "Re(Zce)/Ohm", "-Im(Zce)/Ohm",
               "|Zce|/Ohm", "Phase(Zce)/deg", "<Ece>/V", "|Ece|/V"]
    head = [
        "EC-Lab ASCII FILE",
        None,  # the count of head lines, known at the end
        "",
        "Potentio Electrochemical Impedance Spectroscopy",
        "",
        "Run on channel : 1 (SN 0417)",
        "User : ",
        "Electrode connection : standard",
        "Potential control : Ewe",
        "Ewe ctrl range : min = -10.00 V, max = 10.00 V",
        "Safety Limits :",
        "\tDo not start on E overload",
        "Acquisition started on : 12/09/2026 10:15:02.000",
        "Loaded Setting File : NONE",
        "Saved on :",
        f"\tFile : {name}.mpr",
        "\tDirectory : C:\\Data\\Odecet\\",
        "\tHost : 192.168.0.10",
        "Device : SP-300 (SN 0417)",
        "Address : 192.168.0.10",
        "EC-Lab for windows v11.50 (software)",
        "Internet server v11.50 (firmware)",
        "Command interpretor v11.50 (firmware)",
        f"Comments : Sample cell, {ribs} ribs",
        "Electrode surface area : 1.000 cm\u00b2",
        "Characteristic mass : 0.001 mg",
        "Cycle Definition : Charge/Discharge alternance",
        "Mode                Single sine",
        "E (V)               0.0000",
        "vs.                 Eoc",
        "tE (h:m:s)          0:00:0.0000",
        "record              0",
        "fi                  100.000",
        "unit fi             kHz",
        "ff                  100.000",
        "unit ff             mHz",
        "Nd                  10",
        "Points              per decade",
        "spacing             Logarithmic",
        "Va (mV)             10.0",
        "pw                  0.10",
        "Na                  2",
        "corr                0",
        "E range min (V)     -10.000",
        "E range max (V)     10.000",
        "I Range             Auto",
        "Bandwidth           7",
        "nc cycles           0",
        "\t".join(columns),
    ]
    head[1] = f"Nb header lines : {len(head)}"
    lines = list(head)
    for (f, z), t in zip(points, sweep_times(points)):
        modulus, phase = polar(z)
        w = 2 * math.pi * f
        capacitance = -1e6 / (w * z.imag)  # µF, series
        values = [f, z.real, -z.imag, modulus, phase, t, -0.123, 1e-6, capacitance,
                  capacitance * 0.9, 1.0, 3.0, 0.00707, 1e-5, 0.0, 0.0, 0.5 * z.real,
                  -0.5 * z.imag, 0.5 * modulus, phase, 0.21, 0.0035]
        lines.append("\t".join(scientific(v, 7, 3) for v in values) + "\t")
    save(folder / f"{name}.mpt", lines, "latin-1")


def write_zplot(folder, name, points):
    """ZPlot 3 .z: comma-separated rows, five decimals, exponents of two digits."""
    ribs = RIBS[name]
    lines = [
        "ZPLOT2 ASCII",
        "  Measured Data, ZPlot:       3.5f",
        "  Experiment Type:            Sweep Frequency, Control Voltage",
        "  Date:                       12-09-2026",
        "  Time:                       10:15:02",
        "  Open Circuit Potential (V): -0.1230",
        "  Begin User Comments:        1",
        f"Sample cell, {ribs} ribs",
        "  End User Comments:          1",
        "  Begin Experiment:           0",
        "    Potential-DC:             0",
        "    Potential-AC:             10",
        "    Frequency-Start:          100000",
        "    Frequency-End:            0.1",
        "    Steps/Decade:             10",
        "  End Experiment:             0",
        f"  Data Points:                {len(points)}",
        "Freq(Hz)\tAmpl\tBias\tTime(Sec)\tZ'(a)\tZ''(b)\tGD\tErr\tRange",
        "End Comments:",
    ]
    for (f, z), t in zip(points, sweep_times(points)):
        fields = [scientific(v, 5, 2) for v in (f, 10.0, 0.0, t, z.real, z.imag, 0.0)]
        lines.append(", ".join(f"{v:>12}" for v in fields) + ", 0, 2")
    save(folder / f"{name}.z", lines, "ascii")


def write_chi(folder, name, points):
    """CH Instruments A.C. Impedance text: ', ' between fields, e+5 style exponents."""
    ribs = RIBS[name]
    lines = [
        "Dec. 9, 2026   10:15:02",
        "A.C. Impedance",
        f"File:  C:\\CHI\\{name}.bin",
        "Data Source:  Experiment",
        "Instrument Model:  CHI660E",
        "Header:  ",
        f"Note:  Sample cell, {ribs} ribs",
        "",
        "Init E (V) = 0",
        "High Frequency (Hz) = 1e+5",
        "Low Frequency (Hz) = 0.1",
        "Amplitude (V) = 0.01",
        "Quiet Time (sec) = 2",
        "",
        "Freq/Hz, Z'/ohm, Z\"/ohm, Z/ohm, Phase/deg",
        "",
    ]
    for f, z in points:
        modulus, phase = polar(z)
        fields = [scientific(v, 5, 1, "e") for v in (f, z.real, z.imag, modulus)]
        lines.append(", ".join(fields) + f", {phase:.1f}")
    save(folder / f"{name}-CHI.txt", lines, "ascii")


def write_nova(folder, name, points):
    """Metrohm Autolab NOVA export under Czech settings: ';' and decimal commas, UTF-8."""
    lines = ["Index;Frequency (Hz);Z' (\u03a9);-Z'' (\u03a9);Z (\u03a9);-Phase (\u00b0);Time (s)"]
    for i, ((f, z), t) in enumerate(zip(points, sweep_times(points)), start=1):
        modulus, phase = polar(z)
        values = [general(v, ",") for v in (f, z.real, -z.imag, modulus, -phase, t)]
        lines.append(";".join([str(i)] + values))
    save(folder / f"{name}-NOVA.txt", lines, "utf-8", bom=b"\xef\xbb\xbf")


def write_instrument_files(folder, spectra):
    folder.mkdir(exist_ok=True)
    for name, points in spectra.items():
        for writer in (write_gamry, write_biologic, write_zplot, write_chi, write_nova):
            writer(folder, name, points)


if __name__ == "__main__":
    main()
