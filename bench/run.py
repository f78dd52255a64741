#!/usr/bin/env python3
"""Runs the benchmarks and prints each figure with its baseline ratio from the same run.

  bench/run.py BUILD_DIR

1. The core stages on 1000 points and number text against the C library (Google Benchmark,
   median of repetitions).
2. odecet-cli end to end on a 1000-point pair against an awk program doing the same job,
   alternating the two, many runs, medians.
"""
import json
import math
import os
import platform
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def machine():
    model = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return f"{model}, {os.cpu_count()} cores, {platform.system()} {platform.release()}"


def core(build):
    result = subprocess.run(
        [os.path.join(build, "bench", "core_bench"), "--benchmark_format=json",
         "--benchmark_repetitions=7", "--benchmark_report_aggregates_only=true"],
        check=True, capture_output=True, text=True)
    medians = {}
    for entry in json.loads(result.stdout)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            medians[entry["run_name"]] = entry["real_time"]  # microseconds
    print("Core, median of 7 repetitions (target: each stage under 100 us)")
    for name in ("ReadStepFile1000", "ComputeDifference1000", "FormatReport1000"):
        print(f"  {name:<26} {medians[name]:9.1f} us")
    print("Number text, 3000 numbers (target: at least as fast as the C library)")
    for ours, theirs in (("ReadNumbers_StrToFloat", "ReadNumbers_strtod"),
                         ("WriteNumbers_FloatToStr", "WriteNumbers_snprintf")):
        ratio = medians[theirs] / medians[ours]
        print(f"  {ours:<26} {medians[ours]:9.1f} us   {theirs:<22} {medians[theirs]:9.1f} us"
              f"   ours is {ratio:.1f}x faster")


def step_files(folder, points=1000):
    rng = random.Random(1)
    paths = []
    for name in ("k1.txt", "k2.txt"):
        lines = [str(points)]
        for i in range(points):
            f = 1e5 * 10 ** (-6 * i / (points - 1))
            lines.append(f"{f:.6g}\t{rng.uniform(10, 300):.6g}\t{-rng.uniform(1, 80):.6g}")
        path = os.path.join(folder, name)
        with open(path, "w") as out:
            out.write("\n".join(lines) + "\n")
        paths.append(path)
    return paths


def end_to_end(build, runs=200):
    awk = shutil.which("awk")
    cli = os.path.join(build, "cli", "odecet-cli")
    with tempfile.TemporaryDirectory() as folder:
        step1, step2 = step_files(folder)
        report = os.path.join(folder, "report.txt")
        commands = {
            "odecet-cli": ([cli, "--decimal-separator=.", step1, step2, "-o", report], None),
            "awk": ([awk, "-f", os.path.join(HERE, "subtract.awk"), step1, step2], report),
            # Starting any program at all: the floor under both.
            "true": (["/bin/true"], None),
        }
        times = {name: [] for name in commands}
        for _ in range(runs):
            for name, (command, output) in commands.items():
                start = time.perf_counter()
                if output:
                    with open(output, "wb") as out:
                        subprocess.run(command, stdout=out, check=True)
                else:
                    subprocess.run(command, check=True)
                times[name].append(time.perf_counter() - start)
    ours = statistics.median(times["odecet-cli"]) * 1000
    theirs = statistics.median(times["awk"]) * 1000
    floor = statistics.median(times["true"]) * 1000
    awk_name = os.path.basename(os.path.realpath(awk))
    print(f"End to end, 1000-point pair to a file, median of {runs} alternating runs "
          "(target: at least 3x faster than awk)")
    print(f"  odecet-cli {ours:7.2f} ms   {awk_name} {theirs:7.2f} ms   "
          f"odecet-cli is {theirs / ours:.1f}x faster")
    print(f"  starting /bin/true alone {floor:.2f} ms; above that: odecet-cli {ours - floor:.2f} ms, "
          f"{awk_name} {theirs - floor:.2f} ms ({(theirs - floor) / (ours - floor):.1f}x)")


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build-bench"
    print(f"Machine: {machine()}")
    core(build)
    end_to_end(build)

    import window_startup  # the window against a minimal Qt window, beside this script
    window_startup.report(build)


if __name__ == "__main__":
    main()
