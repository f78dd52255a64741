#!/usr/bin/env python3
"""The window's start-up against the least a Qt Widgets program does.

  bench/window_startup.py BUILD_DIR [RUNS]

The programs run on their own Xvfb with openbox managing the windows, in a Czech locale (so the
window loads Qt's Czech texts, as on a lab machine), alternating, RUNS times each. bench/window_timer
takes each from exec to its window being viewable and reads its peak memory; medians are compared.
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TIME_TARGET = 1.3
MEMORY_TARGET = 1.25


def wait_until(check, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if check():
            return True
        time.sleep(0.05)
    return False


def start_x(env, started):
    """Starts Xvfb on a free display and openbox on it; returns the display name."""
    read_end, write_end = os.pipe()
    # -displayfd picks a free display and writes its number once the server listens; -noreset
    # keeps the server up between the runs' connections.
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
         "-noreset"], pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    started.append(xvfb)
    os.close(write_end)
    with os.fdopen(read_end) as answer:
        display = ":" + answer.readline().strip()
    env["DISPLAY"] = display
    started.append(subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                                    stderr=subprocess.DEVNULL))

    def managed():
        probe = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env,
                               capture_output=True, text=True)
        return "window id" in probe.stdout
    if not wait_until(managed):
        raise RuntimeError("openbox did not start")
    return display


def measure(timer, command, env):
    result = subprocess.run([timer, *command], env=env, capture_output=True, text=True, check=True)
    milliseconds, kilobytes = result.stdout.split()
    return float(milliseconds), int(kilobytes) / 1024


def report(build, runs=100):
    timer = os.path.join(build, "bench", "window_timer")
    minimal = os.path.join(build, "bench", "minimal_window")
    programs = {"odecet": [os.path.join(build, "app", "odecet")],
                "minimal": [minimal],
                # Not a target: the floor of any window with text, to tell what is left.
                "minimal with text": [minimal, "text"]}
    if not all(os.path.exists(path) for path in [timer, *(c[0] for c in programs.values())]):
        print("Window start-up: not built (needs the window, ODECET_BUILD_GUI=ON)")
        return True
    started = []
    home = tempfile.mkdtemp(prefix="odecet-window-bench-")
    try:
        locales = os.path.join(build, "locale")
        subprocess.run([os.path.join(HERE, "..", "tests", "make-test-locales.sh"), locales],
                       check=True)
        # The same clean session for both: no desktop's settings, bus or Qt variables.
        env = {key: value for key, value in os.environ.items()
               if not key.startswith(("QT_", "LC_", "XDG_", "DBUS_"))}
        runtime = os.path.join(home, "runtime")
        os.mkdir(runtime, 0o700)
        env.update(HOME=home, XDG_RUNTIME_DIR=runtime, LOCPATH=locales, LANG="cs_CZ.UTF-8",
                   QT_QPA_PLATFORM="xcb")
        start_x(env, started)
        for command in programs.values():  # the first start reads everything from disk
            measure(timer, command, env)
        times = {name: [] for name in programs}
        memory = {name: [] for name in programs}
        for _ in range(runs):
            for name, command in programs.items():
                milliseconds, megabytes = measure(timer, command, env)
                times[name].append(milliseconds)
                memory[name].append(megabytes)
    finally:
        for process in reversed(started):
            process.terminate()
            process.wait()
        shutil.rmtree(home, ignore_errors=True)
    ours, floor, text = (statistics.median(times[name]) for name in programs)
    our_memory, floor_memory, text_memory = (statistics.median(memory[name]) for name in programs)
    time_ratio = ours / floor
    memory_ratio = our_memory / floor_memory
    print(f"Window start-up under Xvfb and openbox, exec to viewable, median of {runs} "
          f"alternating runs (target: within {TIME_TARGET}x the time and {MEMORY_TARGET}x the "
          "peak memory of a minimal Qt Widgets window)")
    print(f"  odecet {ours:7.1f} ms {our_memory:6.1f} MB   minimal Qt window {floor:7.1f} ms "
          f"{floor_memory:6.1f} MB")
    print(f"  time {time_ratio:.2f}x ({'met' if time_ratio <= TIME_TARGET else 'NOT MET'}), "
          f"peak memory {memory_ratio:.2f}x "
          f"({'met' if memory_ratio <= MEMORY_TARGET else 'NOT MET'})")
    print(f"  a minimal window with one line edit and one button {text:.1f} ms "
          f"{text_memory:.1f} MB: {text / floor:.2f}x and {text_memory / floor_memory:.2f}x the "
          f"minimal window; odecet is {ours / text:.2f}x and {our_memory / text_memory:.2f}x that")
    return time_ratio <= TIME_TARGET and memory_ratio <= MEMORY_TARGET


if __name__ == "__main__":
    report(sys.argv[1] if len(sys.argv) > 1 else "build-bench",
           int(sys.argv[2]) if len(sys.argv) > 2 else 100)
