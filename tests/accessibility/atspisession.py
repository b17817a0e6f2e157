"""A private desktop for driving Kestrav through its accessibility tree.

Session starts, each in a temporary home of its own: an X server (Xvfb), a session bus, the
accessibility bus of at-spi2-core on it, a loopback web server with the test's pages, and the
real program, copied to a program folder of its own so that its favorites file lands there.
The client side is pyatspi, as a screen reader uses it; keys reach the program through the
X server (xdotool), as a user types them. Nothing here touches the user's own desktop."""

import ctypes
import http.server
import os
import random
import shutil
import signal
import subprocess
import tempfile
import threading
import time

ATSPI_BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
PR_SET_PDEATHSIG = 1


def _end_with_parent():
    # A test killed by its time-out takes its processes with it.
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


class _Pages(http.server.BaseHTTPRequestHandler):
    pages = {}  # path -> (seconds to wait, HTML)

    def do_GET(self):
        if self.path not in self.pages:
            self.send_error(404)
            return
        delay, html = self.pages[self.path]
        time.sleep(delay)
        body = html.encode("utf-8")
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


class Session:
    def __init__(self, program, pages):
        self.program = program
        _Pages.pages = pages
        self.processes = []
        self.events = []
        self.failures = 0

    # Start and stop

    def __enter__(self):
        self.root = tempfile.mkdtemp(prefix="kestrav-atspi-")
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, *exc):
        if getattr(self, "server", None):
            self.server.shutdown()
        # Each process leads a group of its own, with what it started (the accessibility
        # bus, the engine's helpers): the group goes with it.
        for process in reversed(self.processes):
            for sig in (signal.SIGTERM, signal.SIGKILL):
                try:
                    os.killpg(process.pid, sig)
                except ProcessLookupError:
                    break
                try:
                    process.wait(10)
                    break
                except subprocess.TimeoutExpired:
                    continue
        # A failed step leaves its screen and the processes' logs behind.
        if self.failures or os.environ.get("KESTRAV_KEEP_SESSION"):
            print("session kept in", self.root)
        else:
            shutil.rmtree(self.root, ignore_errors=True)

    def _start(self):
        env = self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "LANG": "C.UTF-8"}
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                     "XDG_RUNTIME_DIR"):
            path = os.path.join(self.root, name.lower())
            os.makedirs(path, mode=0o700)
            env[name] = path

        self._start_x_server()

        read, write = os.pipe()
        self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=%d" % write],
                    pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as address:
            env["DBUS_SESSION_BUS_ADDRESS"] = address.readline().strip()
        self._spawn([ATSPI_BUS_LAUNCHER, "--launch-immediately"])

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), _Pages)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.base = "http://127.0.0.1:%d" % self.server.server_address[1]

        # The client talks to the same buses as the program.
        os.environ.update({k: env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS")})
        global pyatspi, GLib
        import pyatspi
        from gi.repository import Gio, GLib

        # The program looks for the accessibility bus once, as it starts.
        bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        self.wait_for(lambda: bus.call_sync(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "NameHasOwner", GLib.Variant("(s)", ("org.a11y.Bus",)), None,
            Gio.DBusCallFlags.NONE, -1, None).unpack()[0], 30, "the accessibility bus")

        folder = os.path.join(self.root, "program")
        os.makedirs(folder)
        shutil.copy2(self.program, folder)
        self.kestrav = self._spawn([os.path.join(folder, os.path.basename(self.program))], env={
            **env,
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QTWEBENGINE_DISABLE_SANDBOX": "1",
            "QTWEBENGINE_CHROMIUM_FLAGS": "--disable-gpu --disable-background-networking "
                                          "--disable-component-update",
        })
        self.app = self.wait_for(self._application, 60, "the program on the accessibility bus")
        self.wait_for(lambda: self.find(self.app, "frame", "Main form - [Kestrav start page]"),
                      60, "the start page in the frame's caption")
        self.focus_frame()

    def _start_x_server(self):
        # A display number of our own, far from those of desktops and of xvfb-run; tried until
        # one answers, as another server may hold a number without its lock file.
        for attempt in range(10):
            display = ":%d" % random.randrange(200, 60000)
            if os.path.exists("/tmp/.X11-unix/X" + display[1:]):
                continue
            # The screen is also kept as a file, for a look at what a failed step left. The
            # server must not reset when its first client (the check below) leaves.
            server = self._spawn(["Xvfb", display, "-screen", "0", "1280x800x24",
                                  "-fbdir", self.root, "-nolisten", "tcp", "-noreset"])
            self.env["DISPLAY"] = display
            for _ in range(50):
                if server.poll() is not None:
                    break
                if subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env,
                                  stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL).returncode == 0:
                    return
                time.sleep(0.1)
            server.kill()
            server.wait()
        raise RuntimeError("no X server started")

    def _spawn(self, command, env=None, pass_fds=()):
        # What each process says goes to a log of its own, shown when a step fails.
        log = open(os.path.join(self.root, os.path.basename(command[0]) + ".log"), "wb")
        process = subprocess.Popen(command, env=env or self.env, pass_fds=pass_fds,
                                   stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                                   start_new_session=True, preexec_fn=_end_with_parent)
        log.close()
        self.processes.append(process)
        return process

    def _application(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            child = desktop.getChildAtIndex(index)
            if child is not None and child.name == "Kestrav":
                return child
        return None

    # The client's view

    def pump(self, seconds=0.0):
        """Lets the client's events arrive for a while."""
        context = GLib.MainContext.default()
        end = time.monotonic() + seconds
        while True:
            while context.iteration(False):
                pass
            if time.monotonic() >= end:
                return
            time.sleep(0.02)

    def wait_for(self, condition, seconds, what, retried=False):
        """The condition's first true value; a time-out fails the test, or raises TimeoutError
        for a step that is retried."""
        end = time.monotonic() + seconds
        while True:
            self.pump()
            value = condition()
            if value:
                return value
            if time.monotonic() > end:
                if retried:
                    raise TimeoutError(what)
                self.failures += 1
                picture = os.path.join(self.root, "timeout-%d.xwd" % self.failures)
                shutil.copyfile(os.path.join(self.root, "Xvfb_screen0"), picture)
                ended = ["%s ended (%s)" % (os.path.basename(p.args[0]), p.returncode)
                         for p in self.processes if p.poll() is not None]
                raise AssertionError("timed out waiting for %s (screen in %s) %s"
                                     % (what, picture, "; ".join(ended)))
            time.sleep(0.1)

    @staticmethod
    def walk(node, path=()):
        """(node, path, role, name) for every node under node, the path being the role:name
        steps that lead to it. A node that goes away while it is read (a page being
        replaced) is left out."""
        try:
            role, name = node.getRoleName(), node.name
            children = [node.getChildAtIndex(index) for index in range(node.childCount)]
        except (GLib.GError, AttributeError):
            return
        path = path + ("%s '%s'" % (role, name),)
        yield node, path, role, name
        for child in children:
            yield from Session.walk(child, path)

    def find(self, root, role, name=None):
        for node, _, node_role, node_name in self.walk(root):
            if node_role == role and (name is None or node_name == name):
                return node
        return None

    @staticmethod
    def focusable(node):
        return node.getState().contains(pyatspi.STATE_FOCUSABLE)

    @staticmethod
    def showing(node):
        return node.getState().contains(pyatspi.STATE_SHOWING)

    @staticmethod
    def press(node):
        """Runs the node's first action (press, for a button or a menu item), as a screen
        reader does."""
        node.queryAction().doAction(0)

    def listen(self, *types):
        """Records each event of the types as (type, role, name, description) of its source,
        read as the event arrives."""
        def record(event):
            try:
                source = event.source
                self.events.append((event.type, source.getRoleName(), source.name,
                                    source.description))
            except Exception:  # the source went away before its event was read
                pass
        for kind in types:
            pyatspi.Registry.registerEventListener(record, kind)

    # The user's keyboard

    def focus_frame(self):
        """Gives the frame the keyboard, as a window manager does when the program starts or
        when a window of the program over it closes (a dialog, the fetch's wait); there is
        none on this X server."""
        self.xdotool("search", "--sync", "--name", "^Main form", "windowfocus", "--sync")
        self.pump(0.3)

    def xdotool(self, *arguments):
        subprocess.run(["xdotool", *arguments], env=self.env, check=True, timeout=30,
                       stdout=subprocess.DEVNULL)

    def keys(self, *keys):
        for key in keys:
            self.xdotool("key", "--clearmodifiers", key)
            self.pump(0.2)

    def type(self, text):
        self.xdotool("type", "--delay", "20", text)
        self.pump(0.2)
