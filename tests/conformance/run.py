#!/usr/bin/env python3
"""Runs a test program beside a fresh scripted test server.

  run.py [--windows-paths] [--wine-dll-override NAME=MODE]... -- PROGRAM [ARGS...]

Starts server.py on loopback with a private temporary directory, hands the
program CONFORMANCE_PORT, CONFORMANCE_DIR (as Z:/... with --windows-paths, the
way a program under Wine sees the Linux file system) and
CONFORMANCE_CLOSED_PORT (a port nobody listens on; the proxy environment
variables point there too, so a request that heeds them fails), runs it, stops the server,
removes the directory and exits with the program's exit code. Each
--wine-dll-override is added to WINEDLLOVERRIDES (after "mscoree,mshtml=",
which keeps Wine from offering to install those).
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def closed_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    args = sys.argv[1:]
    if "--" not in args:
        sys.exit(__doc__)
    split = args.index("--")
    options, command = args[:split], args[split + 1:]
    windows_paths = "--windows-paths" in options
    overrides = [options[i + 1] for i, o in enumerate(options) if o == "--wine-dll-override"]

    directory = tempfile.mkdtemp(prefix="conformance-")
    server = subprocess.Popen([sys.executable, os.path.join(HERE, "server.py"), "--dir", directory,
                               "--lifetime", "900"])
    try:
        port_file = os.path.join(directory, "port")
        deadline = time.monotonic() + 20
        while not os.path.exists(port_file):
            if server.poll() is not None or time.monotonic() > deadline:
                sys.exit("run.py: the test server did not start")
            time.sleep(0.05)
        with open(port_file) as f:
            port = f.read().strip()

        env = dict(os.environ)
        env["CONFORMANCE_PORT"] = port
        env["CONFORMANCE_DIR"] = ("Z:" + directory) if windows_paths else directory
        closed = closed_port()
        env["CONFORMANCE_CLOSED_PORT"] = str(closed)
        # Proxy variables pointing nowhere: a direct request must not heed them.
        for name in ("http_proxy", "https_proxy", "all_proxy"):
            env[name] = env[name.upper()] = "http://127.0.0.1:%d" % closed
        env.pop("no_proxy", None)
        env.pop("NO_PROXY", None)
        if overrides:
            env["WINEDLLOVERRIDES"] = ";".join(["mscoree,mshtml="] + overrides)
        return subprocess.call(command, env=env)
    finally:
        server.terminate()
        try:
            server.wait(timeout=10)
        except subprocess.TimeoutExpired:
            server.kill()
        shutil.rmtree(directory, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
