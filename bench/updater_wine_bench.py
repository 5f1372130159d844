#!/usr/bin/env python3
"""The real Updater.exe under Wine against curl, on one nginx.

  bench/updater_wine_bench.py [--bin build/windows/bin] [--work build/updater-wine-bench]
                              [--size-mib 256] [--rate 20m] [--rounds 3]

nginx on 127.0.0.1 (configuration of its own, `sendfile on`, `limit_rate` per
connection) serves a package of random bytes. Each round, in turn:

- the updater: Updater.exe from an installation's temp folder in a Wine prefix
  of its own, started through the harness's winrun.exe with -forcedupdate=0.
  Its time runs from the moment the command is started (Wine's start
  included) until the package is verified: temp\\update.zip has appeared and
  the log line "package downloaded and verified" has arrived. The run is then
  ended (it would wait for the user) and the staging folder emptied.
- curl: `curl -s -o FILE URL`, timed the same way (from its start to its end).

The order alternates from round to round. Prints each round and the medians;
the goal is the updater in at most 0.3 times curl's time. The Xvfb has no
window manager, so Wine's windows are made unmanaged in the prefix
(--managed keeps Wine's default, and its 2 s wait for a window manager when
the progress window is hidden before it is placed). Everything started
(nginx, Xvfb, the prefix's wineserver) is stopped on every way out.
"""

import argparse
import hashlib
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "scripts" / "demo"))
import demo_support as ds  # noqa: E402

INSTALL = "C:\\Bench\\Client"
VERIFIED_LINE = "package downloaded and verified"


def make_package(path, size):
    """Random bytes (they do not compress), written once and reused."""
    digest_file = path.with_suffix(".md5")
    if path.exists() and path.stat().st_size == size and digest_file.exists():
        return digest_file.read_text().strip()
    md5 = hashlib.md5()
    with open(path, "wb") as f:
        left = size
        while left:
            block = os.urandom(min(left, 1 << 20))
            md5.update(block)
            f.write(block)
            left -= len(block)
    digest_file.write_text(md5.hexdigest() + "\n")
    return md5.hexdigest()


LOG_FORMAT = "$msec $request_time $status range=$http_range sent=$body_bytes_sent"


def request_times(lines):
    """(start, end) wall-clock times of the requests in nginx's log lines."""
    times = []
    for line in lines:
        end, took = line.split()[:2]
        times.append((float(end) - float(took), float(end)))
    return times


def updater_round(session, inst, url, md5, size, nginx):
    temp = inst.unix("temp")
    for leftover in ("update.zip", "update.td", "update.td0", "update.td1", "update.td2", "update.td3"):
        (temp / leftover).unlink(missing_ok=True)
    staged = temp / "update.zip"
    updater = inst.windows("temp\\Updater.exe")
    cmdline = f'"{updater}" -url={url} -md5={md5} -pagecallparam="" -forcedupdate=0'
    logged_before = len(nginx.requests())
    wall_started = time.time()
    started = time.monotonic()
    with session.start(cmdline, lang="en_US.UTF-8", timeout=600) as run:
        file_at = line_at = None
        while file_at is None or line_at is None:
            now = time.monotonic()
            if file_at is None and staged.exists():
                file_at = now
            if line_at is None and any(VERIFIED_LINE.encode() in data for _, data in run.debug_records_so_far()):
                line_at = now
            if run.done():
                raise RuntimeError("Updater.exe ended before the package was verified: "
                                   + b"".join(d for _, d in run.debug_records_so_far()).decode("cp1252", "replace"))
            if now - started > 600:
                raise RuntimeError("no verified package after 600 s")
            time.sleep(0.01)
    if staged.stat().st_size != size:
        raise RuntimeError(f"temp\\update.zip has {staged.stat().st_size} bytes, not {size}")
    # Where the time went, from nginx's view of the requests.
    requests = request_times(ds.wait_until(lambda: nginx.requests()[logged_before:] or None, "nginx's log", 10))
    first_request = min(start for start, _ in requests) - wall_started
    transfer_end = max(end for _, end in requests) - wall_started
    return file_at - started, line_at - started, first_request, transfer_end, len(requests)


def curl_round(url, target):
    target.unlink(missing_ok=True)
    started = time.monotonic()
    subprocess.run(["curl", "-s", "-f", "-o", str(target), url], check=True)
    elapsed = time.monotonic() - started
    target.unlink()
    return elapsed


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--bin", default="build/windows/bin", help="the windows build's bin folder")
    parser.add_argument("--work", default="build/updater-wine-bench", help="prefix, package, nginx")
    parser.add_argument("--size-mib", type=int, default=256)
    parser.add_argument("--rate", default="20m", help="nginx limit_rate per connection (empty: none)")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--managed", action="store_true",
                        help="let Wine expect a window manager on the Xvfb, which has none (adds Wine's 2 s"
                             " wait when the progress window is hidden before it is placed)")
    args = parser.parse_args(argv[1:])

    work = Path(args.work).absolute()
    work.mkdir(parents=True, exist_ok=True)
    bin_dir = Path(args.bin).absolute()
    for name in ("Updater.exe", "zlib.dll", "winrun.exe"):
        if not (bin_dir / name).exists():
            raise SystemExit(f"{bin_dir / name} is missing; build the windows preset first")

    size = args.size_mib << 20
    www = work / "www"
    www.mkdir(exist_ok=True)
    md5 = make_package(www / "update.zip", size)

    ds.stop_on_signals()
    state = ds.State(work / "bench-state.json")
    nginx = xvfb = None
    try:
        nginx = ds.Nginx(www, work / "nginx", extra=f"limit_rate {args.rate};" if args.rate else "",
                         log_format=LOG_FORMAT)
        state.set(nginx_pid=nginx.pid)
        url = nginx.url("update.zip")
        session, xvfb = ds.open_session(work / "wineprefix", bin_dir, state, managed=args.managed)
        inst = session.make_installation(INSTALL, {"temp\\Updater.exe": "Updater.exe", "temp\\zlib.dll": "zlib.dll"})

        load = os.getloadavg()
        print(f"package {args.size_mib} MiB, nginx limit_rate {args.rate or 'none'} per connection, "
              f"{args.rounds} rounds, Wine windows {'managed' if args.managed else 'unmanaged'}; "
              f"load average at the start {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}")
        ours_file, ours_line, curls = [], [], []
        for n in range(args.rounds):
            order = ("updater", "curl") if n % 2 == 0 else ("curl", "updater")
            for who in order:
                if who == "updater":
                    file_s, line_s, first_s, transfer_s, count = updater_round(session, inst, url, md5, size, nginx)
                    ours_file.append(file_s)
                    ours_line.append(line_s)
                    detail = (f"first request at {first_s:.3f} s, last byte sent at {transfer_s:.3f} s,"
                              f" {count} requests")
                else:
                    curls.append(curl_round(url, work / "curl.out"))
            print(f"round {n + 1}: updater {ours_line[-1]:.3f} s (update.zip at {ours_file[-1]:.3f} s), "
                  f"curl {curls[-1]:.3f} s, ratio {ours_line[-1] / curls[-1]:.3f}; updater: {detail}", flush=True)

        ours, curl = statistics.median(ours_line), statistics.median(curls)
        print(f"median: updater {ours:.3f} s (update.zip at {statistics.median(ours_file):.3f} s), "
              f"curl {curl:.3f} s, updater/curl {ours / curl:.3f} (goal: at most 0.3)")
    except (ds.Stop, KeyboardInterrupt) as stop:
        print(f"stopped: {stop or 'interrupted'}", file=sys.stderr)
        return 130
    finally:
        if nginx:
            nginx.stop()
        if xvfb:
            xvfb.stop()
        ds.cleanup(state.path)
        # The big files stay only where they are reused (the package).
        for leftover in (work / "wineprefix" / "drive_c" / "Bench").glob("Client/temp/update.*"):
            leftover.unlink(missing_ok=True)
        (work / "curl.out").unlink(missing_ok=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
