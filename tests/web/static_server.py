"""A tiny static web server on 127.0.0.1 for the page's tests.

Serves one folder on a free port in a thread of its own. Tests of bad input
replace single paths: overrides maps a path ("/starglow.mp3") to the bytes
to serve instead, or to None for a 404.
"""

import functools
import http.server
import os
import threading

CONTENT_TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".mjs": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".wasm": "application/wasm",
    ".mp3": "audio/mpeg",
    ".json": "application/json",
    ".png": "image/png",
}


class _Handler(http.server.SimpleHTTPRequestHandler):
    overrides = {}

    def guess_type(self, path):
        return CONTENT_TYPES.get(os.path.splitext(path)[1], "application/octet-stream")

    isolated = False

    def end_headers(self):
        # Every test sees the files as they are now, never a cached copy.
        self.send_header("Cache-Control", "no-store")
        if self.isolated:
            # Cross-origin isolation: the page's clock then reads to 5 µs,
            # not 100 µs, fine enough to time one turn.
            self.send_header("Cross-Origin-Opener-Policy", "same-origin")
            self.send_header("Cross-Origin-Embedder-Policy", "require-corp")
        super().end_headers()

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        if path in self.overrides:
            body = self.overrides[path]
            if body is None:
                self.send_error(404, "Not Found")
                return
            self.send_response(200)
            self.send_header("Content-Type", self.guess_type(path))
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        super().do_GET()

    def log_message(self, *args):
        pass


class StaticServer:
    """Use as a context manager: `with StaticServer(folder) as server: server.url`."""

    def __init__(self, folder, port=0, overrides=None, isolated=False):
        handler = type("Handler", (_Handler,), {"overrides": dict(overrides or {}),
                                                "isolated": isolated})
        handler = functools.partial(handler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
        self.httpd.daemon_threads = True
        self.port = self.httpd.server_address[1]
        self.url = "http://127.0.0.1:%d/" % self.port
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)

    def __enter__(self):
        self.thread.start()
        return self

    def __exit__(self, *exc):
        self.httpd.shutdown()
        self.httpd.server_close()
        self.thread.join()
        return False
