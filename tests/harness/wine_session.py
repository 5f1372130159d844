"""Sets up and takes down the Wine session of one test run.

  wine_session.py setup   SESSION_FILE PREFIX BIN_DIR
  wine_session.py cleanup SESSION_FILE

setup creates the prefix once per build folder and reuses it, starts an
Xvfb of its own and a persistent wineserver; cleanup stops both.
"""

import json
import os
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).parent))
import winetest  # noqa: E402

READY_MARK = ".tvr-prefix-ready"

# Chinese text renders only with a replacement for the skins' font.
FONT_REPLACEMENT = ("HKCU\\Software\\Wine\\Fonts\\Replacements", "微软雅黑", "WenQuanYi Micro Hei")


def wine_env(prefix):
    env = dict(os.environ)
    env.update(winetest.WINE_ENV)
    env["WINEDEBUG"] = "-all"
    env["WINEPREFIX"] = str(prefix)
    env.pop("DISPLAY", None)
    return env


def prepare_prefix(prefix):
    healthy = (prefix / "drive_c" / "windows" / "system32" / "kernel32.dll").exists()
    if healthy and (prefix / READY_MARK).exists():
        return
    if prefix.exists():
        shutil.rmtree(prefix)
    env = wine_env(prefix)
    subprocess.run(["wineboot", "-i"], env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    key, name, value = FONT_REPLACEMENT
    subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"],
                   env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # The registry reaches its files only when the server writes them out.
    subprocess.run(["wineserver", "-w"], env=env, check=True)
    (prefix / READY_MARK).write_text("ready\n")


def setup(session_file, prefix, bin_dir):
    prefix.parent.mkdir(parents=True, exist_ok=True)
    prepare_prefix(prefix)
    xvfb = winetest.Xvfb()
    # Persistent, so the tests do not pay for a server start each time. It
    # outlives this process: it must not hold ctest's output pipe open.
    subprocess.run(["wineserver", "-p"], env=wine_env(prefix), check=True,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    session_file.write_text(json.dumps({
        "prefix": str(prefix), "bin_dir": str(bin_dir),
        "display": xvfb.display, "xvfb_pid": xvfb.proc.pid}))
    print(f"wine session: prefix {prefix}, display {xvfb.display} (Xvfb {xvfb.proc.pid})")


def is_our_xvfb(pid):
    try:
        return Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")[0].endswith(b"Xvfb")
    except OSError:
        return False


def cleanup(session_file):
    if not session_file.exists():
        return
    data = json.loads(session_file.read_text())
    subprocess.run(["wineserver", "-k"], env=wine_env(Path(data["prefix"])))
    subprocess.run(["wineserver", "-w"], env=wine_env(Path(data["prefix"])))
    pid = data["xvfb_pid"]
    if is_our_xvfb(pid):
        os.kill(pid, 15)
    session_file.unlink()
    print("wine session ended")


def main(argv):
    if len(argv) == 5 and argv[1] == "setup":
        setup(Path(argv[2]).absolute(), Path(argv[3]).absolute(), Path(argv[4]).absolute())
    elif len(argv) == 3 and argv[1] == "cleanup":
        cleanup(Path(argv[2]).absolute())
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
