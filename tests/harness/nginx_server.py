"""nginx for the Wine scenarios, as tests/http_server/nginx_server.cpp starts
it for the native tests: Debian's nginx in the foreground, a configuration
of its own in a temporary folder, on 127.0.0.1 and a free port, serving a
folder. Ended by its process id.

The access log has one line per request: status, request URI, the Range
header as sent (quoted, "-" without one) and the body bytes sent, so a test
sees which offsets a resumed download asked for.
"""

import shutil
import signal
import socket
import subprocess
import tempfile
import time
from pathlib import Path

NGINX = "/usr/sbin/nginx"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.5):
            return True
    except OSError:
        return False


class AccessRecord:
    def __init__(self, line):
        # 206 /slow/update.zip "bytes=0- " 1234
        status, uri, rest = line.split(" ", 2)
        quoted, _, sent = rest.rpartition(" ")
        self.status = int(status)
        self.uri = uri
        self.range = quoted[1:-1] if quoted != '"-"' else None
        self.sent = int(sent)

    @property
    def range_start(self):
        """The N of "bytes=N-", or None."""
        if not self.range or not self.range.startswith("bytes="):
            return None
        return int(self.range[len("bytes="):].split("-", 1)[0])

    def __repr__(self):
        return f"<{self.status} {self.uri} {self.range!r} {self.sent}>"


class NginxServer:
    """server_directives go into the server block (locations, limit_rate)."""

    def __init__(self, root, server_directives="", http_directives=""):
        if not Path(NGINX).exists():
            raise RuntimeError("nginx is not installed (Debian package nginx)")
        self.root = Path(root)
        self.work = Path(tempfile.mkdtemp(prefix="nginx-e2e-"))
        self.proc = None
        for _ in range(5):  # another process may take the port between our look and nginx's bind
            if self._start(server_directives, http_directives):
                return
        shutil.rmtree(self.work, ignore_errors=True)
        raise RuntimeError("nginx did not start: " + self.error_log())

    def _start(self, server_directives, http_directives):
        self.port = free_port()
        w = self.work
        (w / "nginx.conf").write_text(
            "daemon off;\nmaster_process off;\nworker_processes 1;\n"
            f"pid {w}/nginx.pid;\nerror_log {w}/error.log;\n"
            "events { worker_connections 64; }\n"
            "http {\n"
            "  log_format ranges '$status $request_uri \"$http_range\" $body_bytes_sent';\n"
            f"  access_log {w}/access.log ranges;\n"
            f"  client_body_temp_path {w}/body; proxy_temp_path {w}/proxy;\n"
            f"  fastcgi_temp_path {w}/fastcgi; uwsgi_temp_path {w}/uwsgi;\n"
            f"  scgi_temp_path {w}/scgi;\n"
            f"  sendfile on;\n  {http_directives}\n"
            f"  server {{ listen 127.0.0.1:{self.port}; root {self.root};\n    {server_directives}\n  }}\n"
            "}\n")
        self.proc = subprocess.Popen(
            [NGINX, "-p", str(w), "-e", str(w / "error.log"), "-c", str(w / "nginx.conf")],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if self.proc.poll() is not None:  # it ended: the port was taken
                self.proc = None
                return False
            if accepts(self.port):
                return True
            time.sleep(0.02)
        self._stop()
        return False

    @property
    def host(self):
        return f"127.0.0.1:{self.port}"

    def url(self, path):
        return f"http://{self.host}{path}"

    def access_log(self):
        """The requests nginx has logged (at the end of each), in order."""
        path = self.work / "access.log"
        lines = path.read_text().splitlines() if path.exists() else []
        return [AccessRecord(line) for line in lines if line.strip()]

    def error_log(self):
        path = self.work / "error.log"
        return path.read_text(errors="replace") if path.exists() else ""

    def _stop(self):
        if self.proc is None:
            return
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None

    def stop(self):
        self._stop()
        shutil.rmtree(self.work, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()
