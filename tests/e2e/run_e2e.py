#!/usr/bin/env python3
"""Runs the rank query end to end under Wine: starts Xvfb (when DISPLAY is
unset), the sample rank service on the port the test build of the program
talks to, and the Win32 test driver under tools/wine-run; photographs a
result box inside Wine's desktop window; times the same POST with curl; then
stops the service and runs the unreachable case; stops everything it started.

    run_e2e.py --app lolrank_e2e.exe --driver rank_e2e_driver.exe --port 38517 \\
               --lang zh_CN.UTF-8 --work build/.../e2e-zh_CN [--screenshot shot.png]
"""

import argparse
import glob
import os
import shutil
import statistics
import subprocess
import sys
import threading
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_RUN = os.path.join(ROOT, "tools", "wine-run")
SERVICE = os.path.join(ROOT, "tools", "sample_rank_service.py")
DESKTOP = (800, 600)
BODY_ABC = "daqu=%E7%94%B5%E4%BF%A1%E4%B8%80&nickname=%41%62%63"


def log(*parts):
    print("run_e2e:", *parts, flush=True)


def wait_for(condition, timeout, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        if condition():
            return True
        if time.monotonic() >= deadline:
            return False
        time.sleep(interval)


def windows_path(path):
    """The path as the Windows side sees it through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def stop(process, timeout=10):
    if process and process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Xvfb:
    """A private X server on a free display, unless one is given already."""

    def __init__(self):
        self.process = None

    def __enter__(self):
        if os.environ.get("DISPLAY"):
            return self
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % DESKTOP, "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            display = f.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + display
        log("Xvfb on", os.environ["DISPLAY"])
        return self

    def __exit__(self, *_):
        stop(self.process)


class Service:
    def __init__(self, port, record_dir, work):
        self.port, self.record_dir, self.work = port, record_dir, work
        self.process = None

    def __enter__(self):
        # Another run of this test (another build tree) may hold the port for a
        # while: wait for it, then give up with a clear message.
        port_file = os.path.join(self.work, "service.port")
        deadline = time.monotonic() + 180
        while True:
            if os.path.exists(port_file):
                os.remove(port_file)
            self.log = open(os.path.join(self.work, "service.log"), "w")
            self.process = subprocess.Popen(
                [sys.executable, SERVICE, "--port", str(self.port), "--port-file", port_file,
                 "--record-dir", self.record_dir, "--lifetime", "900"],
                stdout=subprocess.DEVNULL, stderr=self.log)
            if not wait_for(lambda: os.path.exists(port_file) or self.process.poll() is not None, 20):
                raise RuntimeError("the sample rank service did not start")
            if self.process.poll() is None:
                break
            self.log.close()
            if time.monotonic() >= deadline:
                raise RuntimeError("the sample rank service could not listen on port %d (see %s)"
                                   % (self.port, self.log.name))
            log("port %d is busy; waiting" % self.port)
            time.sleep(2)
        log("sample rank service on port", self.port)
        return self

    def __exit__(self, *_):
        stop(self.process)
        self.log.close()


def wine_env(prefix, lang):
    return dict(os.environ, WINEPREFIX=prefix, LANG=lang, LC_ALL=lang, WINEDEBUG="-all")


def builtin_program(name):
    """The path of one of Wine's own 64-bit programs, runnable through wine-run."""
    for pattern in ("/usr/lib/*/wine/x86_64-windows/" + name, "/usr/lib/wine/x86_64-windows/" + name):
        found = glob.glob(pattern)
        if found:
            return found[0]
    raise RuntimeError("cannot find Wine's " + name)


def prepare_prefix(prefix, lang):
    """Every program of the prefix runs inside one Wine desktop window, so
    windows get their frames drawn and the screenshot shows them."""
    reg = builtin_program("reg.exe")
    env = wine_env(prefix, lang)
    for args in (["HKCU\\Software\\Wine\\Explorer", "/v", "Desktop", "/d", "Default"],
                 ["HKCU\\Software\\Wine\\Explorer\\Desktops", "/v", "Default", "/d", "%dx%d" % DESKTOP]):
        subprocess.run([WINE_RUN, prefix, reg, "add"] + args + ["/f"], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
    # The desktop of a running wineserver keeps its kind: start afresh.
    end_wineserver(prefix)


def end_wineserver(prefix):
    subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=dict(os.environ, WINEPREFIX=prefix),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["/usr/lib/wine/wineserver", "-w"], env=dict(os.environ, WINEPREFIX=prefix),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


class Photographer(threading.Thread):
    """Answers the driver's screenshot requests (a file in shot_dir) with a PNG
    of the Wine desktop window."""

    def __init__(self, shot_dir, target):
        super().__init__(daemon=True)
        self.shot_dir, self.target = shot_dir, target
        self.finished = threading.Event()
        self.taken = False

    def run(self):
        request = os.path.join(self.shot_dir, "shot.request")
        while not self.finished.wait(0.05):
            if os.path.exists(request):
                os.remove(request)
                self.taken = self.shoot()
                open(os.path.join(self.shot_dir, "shot.done"), "w").close()

    def shoot(self):
        os.makedirs(os.path.dirname(os.path.abspath(self.target)), exist_ok=True)
        result = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+0+0" % DESKTOP, "+repage",
                                 self.target], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=60)
        if result.returncode != 0:
            log("screenshot failed:", result.stdout.decode(errors="replace"))
            return False
        log("screenshot", self.target)
        return True


def run_driver(args, prefix, record_dir, shot_dir, gtest_filter):
    command = [WINE_RUN, prefix, args.driver, "--gtest_color=no", "--gtest_filter=" + gtest_filter,
               "--app=" + windows_path(args.app), "--requests=" + windows_path(record_dir),
               "--port=%d" % args.port, "--timing-runs=%d" % args.timing_runs]
    if shot_dir:
        command.append("--shot-dir=" + windows_path(shot_dir))
    try:
        result = subprocess.run(command, env=wine_env(prefix, args.lang), stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, timeout=args.timeout)
    except subprocess.TimeoutExpired as expired:
        sys.stdout.write((expired.stdout or b"").decode("utf-8", errors="replace"))
        log("the driver did not finish within %d s" % args.timeout)
        return 1, ""
    output = result.stdout.decode("utf-8", errors="replace")
    sys.stdout.write(output)
    sys.stdout.flush()
    return result.returncode, output


def run_timing(args, prefix):
    """The lines of the timing tool: bare exchange, query without window, own overhead."""
    result = subprocess.run([WINE_RUN, prefix, args.timing, "--port=%d" % args.port, "--runs=%d" % args.timing_runs],
                            env=wine_env(prefix, args.lang), stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            timeout=args.timeout)
    lines = result.stdout.decode("utf-8", errors="replace").splitlines()
    if result.returncode != 0:
        log("the timing tool failed:", *lines)
        return []
    return lines


def curl_times(port, runs):
    """Milliseconds curl takes for the same POST the program makes."""
    url = "http://127.0.0.1:%d/rank/rank.php" % port
    times = []
    for _ in range(runs):
        result = subprocess.run(["curl", "-s", "-o", "/dev/null", "-w", "%{time_total}", "--data-binary", BODY_ABC,
                                 "-H", "Content-Type: application/x-www-form-urlencoded", url],
                                stdout=subprocess.PIPE, timeout=30)
        if result.returncode == 0:
            times.append(float(result.stdout) * 1000)
    return times


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--app", required=True, help="the program built for the local service")
    parser.add_argument("--driver", required=True, help="the Win32 test driver")
    parser.add_argument("--timing", help="the tool that splits a query's time (optional)")
    parser.add_argument("--port", type=int, required=True, help="the port the program's build talks to")
    parser.add_argument("--lang", default=os.environ.get("LANG") or "zh_CN.UTF-8",
                        help="LANG for Wine (sets its ANSI code page); default: this process's LANG")
    parser.add_argument("--work", required=True, help="directory for the prefix, the requests and logs")
    parser.add_argument("--screenshot", help="PNG of a result box (default: WORK/result.png)")
    parser.add_argument("--timing-runs", type=int, default=10)
    parser.add_argument("--timeout", type=int, default=600, help="seconds for each driver run")
    args = parser.parse_args()

    work = os.path.abspath(args.work)
    prefix = os.path.join(work, "wineprefix-" + args.lang.split(".")[0])
    record_dir = os.path.join(work, "requests")
    shot_dir = os.path.join(work, "shot")
    for directory in (record_dir, shot_dir):
        shutil.rmtree(directory, ignore_errors=True)
        os.makedirs(directory)
    screenshot = os.path.abspath(args.screenshot or os.path.join(work, "result.png"))

    status = 0
    output, curl, split = "", [], []
    with Xvfb():
        try:
            log("preparing the Wine prefix", prefix, "with LANG=" + args.lang)
            prepare_prefix(prefix, args.lang)

            with Service(args.port, record_dir, work):
                photographer = Photographer(shot_dir, screenshot)
                photographer.start()
                code, output = run_driver(args, prefix, record_dir, shot_dir, "-RankQueryServiceStopped.*")
                photographer.finished.set()
                photographer.join()
                status |= code != 0
                if not photographer.taken:
                    log("no screenshot was taken")
                    status = 1
                curl = curl_times(args.port, args.timing_runs)
                if args.timing:
                    split = run_timing(args, prefix)

            code, _ = run_driver(args, prefix, record_dir, None, "RankQueryServiceStopped.*")
            status |= code != 0
        finally:
            end_wineserver(prefix)

    program = [line for line in output.splitlines() if line.startswith("click-to-box-ms")]
    log("program, click to message box (Wine):", program[0] if program else "not measured")
    if curl:
        log("curl, same POST (Linux): curl-ms median %.1f min %.1f max %.1f runs %d"
            % (statistics.median(curl), min(curl), max(curl), len(curl)))
    for line in split:
        log("in one process (Wine):", line)
    log("PASSED" if status == 0 else "FAILED")
    return status


if __name__ == "__main__":
    sys.exit(main())
