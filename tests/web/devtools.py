"""Headless Chromium driven over the DevTools protocol on a pipe.

Chromium started with --remote-debugging-pipe reads protocol messages from
its fd 3 and writes its answers and events to fd 4, each message one JSON
object ended by a NUL byte. This module needs nothing beyond Python's
standard library. One Browser holds one page (a target attached in flat
mode); everything the page reports that a test must fail on (uncaught
exceptions, unhandled rejections, console errors, failed loads) is kept in
Page.problems.
"""

import base64
import fcntl
import json
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time

DEFAULT_TIMEOUT_S = 30.0

# Chromium here reaches nothing outside the machine: without these it keeps
# trying (updates, sync, QUIC probes), and the blocked connections slow or
# stall it.
QUIET_FLAGS = [
    "--headless",
    "--disable-gpu",
    "--disable-quic",
    "--no-first-run",
    "--no-default-browser-check",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    "--disable-extensions",
    "--disable-default-apps",
    "--mute-audio",
]


class DevToolsError(Exception):
    """A protocol call failed, timed out, or the browser went away."""


def find_chromium():
    """The Chromium binary, or None where none is installed."""
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    return None


class Browser:
    """One headless Chromium with one page. Use as a context manager."""

    def __init__(self, extra_flags=(), window=(1024, 768), timeout_s=DEFAULT_TIMEOUT_S,
                 mute=True):
        binary = find_chromium()
        if binary is None:
            raise DevToolsError("chromium is not installed")
        self.timeout_s = timeout_s
        self.profile = tempfile.mkdtemp(prefix="starglow-chromium-")
        flags = [f for f in QUIET_FLAGS if mute or f != "--mute-audio"]
        flags += [
            "--remote-debugging-pipe",
            "--user-data-dir=" + self.profile,
            "--window-size=%d,%d" % window,
            "--autoplay-policy=no-user-gesture-required",
        ]
        if os.geteuid() == 0:
            flags.append("--no-sandbox")
        flags += list(extra_flags)

        to_child_r, self._to_child = os.pipe()
        self._from_child, from_child_w = os.pipe()
        self.log_path = os.path.join(self.profile, "chromium.log")
        log = open(self.log_path, "wb")

        def wire_pipes():
            # The protocol's fixed descriptors. The pipe's own numbers may
            # be 3 or 4 already, where dup2 would keep them close-on-exec:
            # each goes out of the way first, then into place (dup2 leaves
            # the copy inheritable).
            reading = fcntl.fcntl(to_child_r, fcntl.F_DUPFD, 10)
            writing = fcntl.fcntl(from_child_w, fcntl.F_DUPFD, 10)
            os.dup2(reading, 3)
            os.dup2(writing, 4)

        self.process = subprocess.Popen(
            [binary] + flags + ["about:blank"],
            stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            preexec_fn=wire_pipes, close_fds=False)
        log.close()
        os.close(to_child_r)
        os.close(from_child_w)

        self._next_id = 0
        self._lock = threading.Lock()
        self._replies = {}
        self._reply_ready = threading.Condition(self._lock)
        self._events = queue.Queue()
        self._listeners = {}
        self._closed = False
        self._reader = threading.Thread(target=self._read_loop, daemon=True)
        self._reader.start()
        self.page = None

    # -- plumbing --

    def _read_loop(self):
        pending = b""
        while True:
            try:
                chunk = os.read(self._from_child, 1 << 16)
            except OSError:
                chunk = b""
            if not chunk:
                break
            pending += chunk
            while b"\0" in pending:
                raw, pending = pending.split(b"\0", 1)
                message = json.loads(raw)
                if "id" in message:
                    with self._lock:
                        self._replies[message["id"]] = message
                        self._reply_ready.notify_all()
                else:
                    listener = self._listeners.get(message.get("sessionId"))
                    if listener is not None:
                        listener(message)
        with self._lock:
            self._closed = True
            self._reply_ready.notify_all()

    def call(self, method, params=None, session=None, timeout_s=None):
        """Sends one command and returns its result; raises on an error."""
        with self._lock:
            self._next_id += 1
            ident = self._next_id
        message = {"id": ident, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        data = json.dumps(message).encode() + b"\0"
        try:
            os.write(self._to_child, data)
        except OSError as error:
            raise DevToolsError("browser pipe closed: %s" % error)
        deadline = time.monotonic() + (timeout_s or self.timeout_s)
        with self._lock:
            while ident not in self._replies:
                left = deadline - time.monotonic()
                if self._closed:
                    raise DevToolsError("browser exited during %s; log: %s" %
                                        (method, self._log_tail()))
                if left <= 0:
                    raise DevToolsError("%s timed out" % method)
                self._reply_ready.wait(left)
            reply = self._replies.pop(ident)
        if "error" in reply:
            raise DevToolsError("%s: %s" % (method, reply["error"].get("message")))
        return reply.get("result", {})

    def _log_tail(self):
        try:
            with open(self.log_path, "rb") as log:
                return log.read()[-2000:].decode(errors="replace")
        except OSError:
            return ""

    # -- life --

    def open_page(self, viewport=None):
        """Makes the one page; viewport (width, height, device_pixel_ratio)."""
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.call("Target.attachToTarget",
                            {"targetId": target, "flatten": True})["sessionId"]
        self.page = Page(self, session)
        self._listeners[session] = self.page._on_event
        for domain in ("Page", "Runtime", "Log"):
            self.page.call(domain + ".enable")
        if viewport:
            self.page.set_viewport(*viewport)
        return self.page

    def close(self):
        if self.process.poll() is None:
            try:
                self.call("Browser.close", timeout_s=5)
            except DevToolsError:
                pass
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        for fd in (self._to_child, self._from_child):
            try:
                os.close(fd)
            except OSError:
                pass
        shutil.rmtree(self.profile, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False


class Page:
    """A page of the browser: navigation, evaluation, screenshots, problems."""

    def __init__(self, browser, session):
        self.browser = browser
        self.session = session
        self.problems = []
        self.console = []
        self._events = queue.Queue()

    def call(self, method, params=None, timeout_s=None):
        return self.browser.call(method, params, self.session, timeout_s)

    def _on_event(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "Runtime.exceptionThrown":
            details = params.get("exceptionDetails", {})
            text = details.get("text", "")
            exception = details.get("exception", {})
            description = exception.get("description") or exception.get("value")
            self.problems.append("exception: %s %s" % (text, description or ""))
        elif method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in
                            params.get("args", []))
            self.console.append((params.get("type"), text))
            if params.get("type") in ("error", "assert"):
                self.problems.append("console.%s: %s" % (params.get("type"), text))
        elif method == "Log.entryAdded":
            entry = params.get("entry", {})
            if entry.get("level") == "error":
                self.problems.append("log: %s %s" % (entry.get("text"), entry.get("url", "")))
        self._events.put((method, params))

    def set_viewport(self, width, height, device_pixel_ratio=1):
        self.call("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height,
            "deviceScaleFactor": device_pixel_ratio, "mobile": False})

    def wait_event(self, method, timeout_s=None):
        deadline = time.monotonic() + (timeout_s or self.browser.timeout_s)
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                raise DevToolsError("no %s event in time" % method)
            try:
                got, params = self._events.get(timeout=left)
            except queue.Empty:
                continue
            if got == method:
                return params

    def navigate(self, url, timeout_s=None):
        """Loads url and waits for its load event."""
        while not self._events.empty():
            self._events.get_nowait()
        result = self.call("Page.navigate", {"url": url})
        if result.get("errorText"):
            raise DevToolsError("navigating to %s: %s" % (url, result["errorText"]))
        self.wait_event("Page.loadEventFired", timeout_s)

    def evaluate(self, expression, timeout_s=None):
        """The value of a JavaScript expression; a promise is awaited."""
        result = self.call("Runtime.evaluate", {
            "expression": expression, "awaitPromise": True, "returnByValue": True,
            "userGesture": True}, timeout_s)
        if "exceptionDetails" in result:
            details = result["exceptionDetails"]
            exception = details.get("exception", {})
            raise DevToolsError("evaluating %r: %s" % (
                expression[:80], exception.get("description") or details.get("text")))
        return result.get("result", {}).get("value")

    def wait_for(self, expression, timeout_s=None, poll_s=0.05):
        """Polls until the expression is truthy; returns its value."""
        deadline = time.monotonic() + (timeout_s or self.browser.timeout_s)
        while True:
            value = self.evaluate(expression)
            if value:
                return value
            if time.monotonic() > deadline:
                raise DevToolsError("waited in vain for %s" % expression)
            time.sleep(poll_s)

    def screenshot(self, clip=None):
        """PNG bytes of the viewport (or of clip: x, y, width, height in CSS px)."""
        params = {"format": "png", "captureBeyondViewport": False}
        if clip:
            x, y, width, height = clip
            params["clip"] = {"x": x, "y": y, "width": width, "height": height, "scale": 1}
        return base64.b64decode(self.call("Page.captureScreenshot", params)["data"])

    def press_key(self, key, code, key_code):
        """A real key press (down and up) as the page's keyboard sees it."""
        text = key if len(key) == 1 else ""
        for kind in ("keyDown", "keyUp"):
            params = {"type": kind, "key": key, "code": code,
                      "windowsVirtualKeyCode": key_code, "nativeVirtualKeyCode": key_code}
            if kind == "keyDown" and text:
                params["text"] = text
            self.call("Input.dispatchKeyEvent", params)

    def click(self, x, y):
        """A real mouse click at (x, y) CSS pixels."""
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", {
                "type": kind, "x": x, "y": y, "button": "left", "clickCount": 1})
