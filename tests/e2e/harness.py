"""Helpers of the end-to-end scenarios: the driver process, a program folder, waiting.

Texts are handled as latin-1 strings, one character per byte of the program's ANSI text,
so that they compare byte for byte with fixtures and with files the program writes.
"""
import os
import re
import select
import shutil
import signal
import subprocess
import time
import unittest

import feedserver


def read_control_ids():
    """The identifiers of the main window's controls and commands, from the program's header."""
    header = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "app",
                          "ControlIds.h")
    with open(header) as f:
        return {name: int(value) for name, value in re.findall(r"\b(ID[CM]_\w+) = (\d+)", f.read())}


_ids = read_control_ids()
RESULTS_FILE_LABEL, RESULTS_FILE = _ids["IDC_RESULTS_FILE_LABEL"], _ids["IDC_RESULTS_FILE"]
LOAD, SAVE, SEARCH, RESULTS_LIST = _ids["IDC_LOAD"], _ids["IDC_SAVE"], _ids["IDC_SEARCH"], _ids["IDC_RESULTS_LIST"]
CITIES, TERMS, PROGRESS = _ids["IDC_CITIES"], _ids["IDC_TERMS"], _ids["IDC_PROGRESS"]
CITIES_LABEL, TERMS_LABEL = _ids["IDC_CITIES_LABEL"], _ids["IDC_TERMS_LABEL"]
STATUS1, STATUS2, STATUS3 = _ids["IDC_STATUS1"], _ids["IDC_STATUS2"], _ids["IDC_STATUS3"]
DELETE_ALL, DELETE_OLD = _ids["IDM_DELETE_ALL"], _ids["IDM_DELETE_OLD"]
RUN_CONTROLS = (RESULTS_FILE, LOAD, SAVE, CITIES, TERMS)

# Message box buttons.
IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7

CRASH_MARK = "Unhandled exception"

# The https server's addresses (tests/e2e/run): certificates from the test authority that the
# namespace's CA bundle trusts, and from an authority nobody trusts.
TRUSTED_ADDRESS, UNTRUSTED_ADDRESS = "127.0.0.1", "127.0.0.2"


class DriverError(AssertionError):
    pass


def escape(text, blanks=False):
    out = []
    for byte in text.encode("latin-1"):
        c = chr(byte)
        if c == "\\":
            out.append("\\\\")
        elif c == "\r":
            out.append("\\r")
        elif c == "\n":
            out.append("\\n")
        elif c == "\t":
            out.append("\\t")
        elif byte < 32 or byte > 126 or (blanks and c == " "):
            out.append("\\x%02x" % byte)
        else:
            out.append(c)
    return "".join(out)


def escape_path(path):
    """A path for the driver: UTF-8, as the program keeps its paths, so any folder name goes."""
    return escape(path.encode("utf-8").decode("latin-1"), blanks=True)


def unescape(field):
    out = bytearray()
    i = 0
    while i < len(field):
        c = field[i]
        if c == "\\" and i + 1 < len(field):
            kind = field[i + 1]
            if kind == "x":
                out.append(int(field[i + 2:i + 4], 16))
                i += 4
                continue
            out += {"r": b"\r", "n": b"\n", "t": b"\t"}.get(kind, kind.encode("latin-1"))
            i += 2
            continue
        out += c.encode("latin-1")
        i += 1
    return out.decode("latin-1")


def wait_until(condition, timeout, what):
    """Polls condition() until it is true; fails the test with `what` on time-out."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(0.05)


def wait_until_first_pair_waits(program):
    """Waits until a run is past its first pair's look at the Kill button: the progress bar
    shows the pair. A Kill pressed from here on ends the run at its second pair."""
    wait_until(lambda: program.progress()[0] >= 1, 15, "the run's first pair")


class Driver:
    """One kdriver.exe process; call() sends a command and returns the answer's fields."""

    # the longest wait a command asks for is 30 s (a start with a large results file on a
    # busy machine); beyond a minute the driver is stuck
    ANSWER_TIMEOUT = 60

    def __init__(self, exe, stderr_path):
        self.stderr_path = stderr_path
        self.process = subprocess.Popen(
            ["wine", exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=open(stderr_path, "wb"))

    def call(self, command, *args):
        line = " ".join([command] + [str(a) for a in args])
        self.process.stdin.write(line.encode("latin-1") + b"\n")
        self.process.stdin.flush()
        ready, _, _ = select.select([self.process.stdout], [], [], self.ANSWER_TIMEOUT)
        if not ready:
            self.process.kill()
            raise DriverError(f"no answer to {line!r} within {self.ANSWER_TIMEOUT} s")
        answer = self.process.stdout.readline().decode("latin-1").rstrip("\n")
        if not answer:
            raise DriverError(f"the driver ended during {line!r}")
        status, *fields = answer.split("\t")
        fields = [unescape(f) for f in fields]
        if status != "ok":
            raise DriverError(f"{line!r}: {' '.join(fields)}")
        return fields

    def close(self):
        try:
            self.process.stdin.write(b"quit\n")
            self.process.stdin.flush()
            self.process.wait(10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()


class Program:
    """kestrap.exe in a program folder of its own, and the driver that works it."""

    def __init__(self, work, name, kestrap_exe, driver_exe, prefix, folder_name=None):
        self.name = name
        self.driver_exe = driver_exe
        self.folder = os.path.join(prefix, "drive_c", "e2e", folder_name or name)
        self.windows_folder = "C:\\e2e\\" + (folder_name or name) + "\\"
        self.logs = os.path.join(work, "logs", name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        os.makedirs(self.logs, exist_ok=True)
        shutil.copy(kestrap_exe, os.path.join(self.folder, "kestrap.exe"))
        self.driver = None
        self.runs = 0

    # -- the process

    def start(self, prepare=None, arguments=""):
        """Starts the program; returns with the driver ready, before any window shows.
        prepare(program), when given, runs first, with the driver already there to lock
        files or set their attributes. arguments follow the program's name."""
        self.stop_driver()
        self.runs += 1
        self.driver = Driver(self.driver_exe, os.path.join(self.logs, f"driver{self.runs}.err"))
        if prepare is not None:
            prepare(self)
        self.call("start", *self._start_words(arguments))

    def _start_words(self, arguments):
        output = f"C:\\e2e\\{self.name}-output{self.runs}.txt"
        words = [escape_path(self.windows_folder + "kestrap.exe"), escape_path(output)]
        return words + [escape(arguments)] if arguments else words

    def run_beside(self, arguments, timeout=60):
        """Runs a second copy of the program with arguments, beside whatever the driver
        works, until it ends; returns its exit code."""
        self.runs += 1
        driver = Driver(self.driver_exe, os.path.join(self.logs, f"driver{self.runs}.err"))
        try:
            driver.call("start", *self._start_words(arguments))
            return int(driver.call("waitexit", int(timeout * 1000))[0])
        finally:
            try:
                if driver.call("alive")[0] == "1":
                    driver.call("kill")
            except DriverError:
                pass
            driver.close()

    def start_to_window(self, start_menu_answer=IDNO):
        """Starts the program, answers the start-menu question if it comes, waits for the window."""
        self.start()
        if start_menu_answer is not None:
            self.box("Start Menu?")
            self.press("Start Menu?", start_menu_answer)
        self.call("window", 30000)

    def output(self):
        """Everything the program and the driver wrote to their output, crash reports included."""
        texts = []
        for run in range(1, self.runs + 1):
            for path in (os.path.join(self.folder, "..", f"{self.name}-output{run}.txt"),
                         os.path.join(self.logs, f"driver{run}.err")):
                if os.path.exists(path):
                    with open(path, "rb") as f:
                        texts.append(f.read().decode("latin-1"))
        return "\n".join(texts)

    def crashed(self):
        return CRASH_MARK in self.output()

    def wait_for_exit(self, timeout=10):
        return int(self.call("waitexit", int(timeout * 1000))[0])

    def alive(self):
        return self.call("alive")[0] == "1"

    def linux_pids(self):
        """The Linux processes of this program: Wine gives them the Windows path as argv[0]."""
        wanted = (self.windows_folder + "kestrap.exe").lower().encode("latin-1")
        pids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    program = f.read().split(b"\0")[0]
            except OSError:
                continue
            if program.lower() == wanted:
                pids.append(int(entry))
        return pids

    def kill_hard(self, pids=None):
        """Ends the program with SIGKILL, the way a crash ends it: nothing of it runs on.
        pids, looked up beforehand with linux_pids(), make the kill land without delay."""
        pids = pids or self.linux_pids()
        if not pids:
            raise AssertionError("no Linux process of the program was found")
        for pid in pids:
            os.kill(pid, signal.SIGKILL)
        wait_until(lambda: not self.alive(), 10, "the killed program to be gone")


    def stop_driver(self):
        if self.driver is not None:
            try:
                if self.alive():
                    self.call("kill")
            except DriverError:
                pass
            self.driver.close()
            self.driver = None

    def call(self, command, *args):
        if self.driver is None:
            raise DriverError("the program was not started")
        return self.driver.call(command, *args)

    # -- the window

    def text(self, control):
        return self.call("text", control)[0]

    def set_text(self, control, text):
        self.call("settext", control, escape(text))

    def type(self, control, text):
        self.call("type", control, escape(text))

    def click(self, control, handled=False):
        """Presses a button. handled: returns once the window has handled the press, for a
        press that opens no box (one that does fails the call)."""
        self.call("clicknow" if handled else "click", control)

    def command(self, command_id, handled=False):
        self.call("commandnow" if handled else "command", command_id)

    def enabled(self, control):
        return self.call("enabled", control)[0] == "1"

    def items(self, control=RESULTS_LIST):
        return self.call("items", control)

    def item(self, index, control=RESULTS_LIST):
        return self.call("item", control, index)[0]

    def length(self, index, control=RESULTS_LIST):
        """An item's length in characters, for items too long to come across whole."""
        return int(self.call("length", control, index)[0])

    def count(self, control=RESULTS_LIST):
        return int(self.call("count", control)[0])

    def double_click(self, index, control=RESULTS_LIST):
        self.call("dblclick", control, index)

    def pick(self, index, control=RESULTS_FILE):
        self.call("pick", control, index)

    def combo(self, control=RESULTS_FILE):
        selected, *items = self.call("combo", control)
        return int(selected), items

    def progress(self):
        position, upper = self.call("progress", PROGRESS)
        return int(position), int(upper)

    def rect(self, control):
        return tuple(int(v) for v in self.call("rect", control))

    def client(self):
        return tuple(int(v) for v in self.call("client"))

    def resize(self, width, height):
        self.call("resize", width, height)

    def status(self):
        return [self.text(STATUS1), self.text(STATUS2), self.text(STATUS3)]

    def close(self):
        self.call("close")

    # -- message boxes

    def box(self, caption, timeout=10):
        """Waits for a message box; returns its text and its button ids."""
        text, buttons = self.call("box", int(timeout * 1000), escape(caption))
        return text, sorted(int(b) for b in buttons.split(",") if b)

    def boxes(self):
        return [caption for caption in self.call("boxes") if caption]

    def press(self, caption, button):
        self.call("press", button, escape(caption))
        wait_until(lambda: caption not in self.boxes(), 10, f"the box {caption!r} to close")

    # -- files in the program folder

    def path(self, name):
        return os.path.join(self.folder, name)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read().decode("latin-1")

    def write(self, name, text):
        with open(self.path(name), "wb") as f:
            f.write(text.encode("latin-1"))

    def lock(self, name):
        """Holds a file of the program folder open with no sharing until unlock()."""
        self.call("lock", escape_path(self.windows_folder + name))

    def unlock(self):
        self.call("unlock")

    def set_attributes(self, name, attributes):
        """Sets the Windows attributes of a file in the program folder (FILE_ATTRIBUTE_*)."""
        self.call("attrib", attributes, escape_path(self.windows_folder + name))

    def files(self):
        return sorted(os.listdir(self.folder))


def raw_request(host, path):
    """The request bytes the program must send for one fetch."""
    return (f"GET {path} HTTP/1.0\r\nHost: {host}\r\n"
            "User-Agent: Mozilla/4.0 (compatible; MSIE 5.5; Windows NT)\r\n"
            "Accept-Language: en-us\r\n\r\n").encode("ascii")


def lines_of(text):
    """Splits a file's text into lines that must each end in CR LF."""
    if not text.endswith("\r\n"):
        raise AssertionError(f"the text does not end in CR LF: {text[-20:]!r}")
    return text[:-2].split("\r\n")


_BUILD_HEADING = re.compile(r"^<h3>Kestrap build for \d\d-\d\d-\d{4} at \d\d:\d\d:\d\d</h3>$")
_ITEM_LINK = re.compile(r'^<li>\d{4}-\d\d-\d\d <a href="([^"]*)">.*</a>( <b>NEW</b>)?</li>$')


def links_of_complete_file(text):
    """The links of a whole results file in the program's layout; fails on anything partial."""
    lines = lines_of(text)
    for line in lines:
        if "\r" in line or "\n" in line:
            raise AssertionError(f"a line break that is not CR LF: {line[:80]!r}")
    if not _BUILD_HEADING.match(lines[0]) or lines[-1] != "</ul>":
        raise AssertionError(f"not a whole results file: {lines[0][:80]!r} ... {lines[-1][:80]!r}")
    links = []
    for line in lines[1:]:
        item = _ITEM_LINK.match(line)
        if item:
            links.append(item.group(1))
        elif line not in ("<ul>", "</ul>") and not re.match(r"^<h3>\w+ \d+, \d{4}</h3>$", line):
            raise AssertionError(f"a line the program does not write: {line[:80]!r}")
    return links


class Scenario(unittest.TestCase):
    """One scenario: a fresh program folder, the shared feed server reset to its defaults."""

    server = None  # the runner's FeedServer
    work = os.environ.get("KESTRAP_E2E_WORK", "")
    kestrap_exe = os.environ.get("KESTRAP_E2E_EXE", "")
    driver_exe = os.environ.get("KESTRAP_E2E_DRIVER", "")
    browser_log = os.environ.get("KESTRAP_E2E_BROWSER_LOG", "")
    prefix = os.environ.get("WINEPREFIX", "")

    def setUp(self):
        name = self.id().split(".")[-1].removeprefix("test_")
        self.logs = os.path.join(self.work, "logs", name)
        os.makedirs(self.logs, exist_ok=True)
        self.server.reset(os.path.join(self.logs, "requests.log"))
        if os.path.exists(self.browser_log):
            os.remove(self.browser_log)
        self.program = Program(self.work, name, self.kestrap_exe, self.driver_exe, self.prefix)

    def assert_idle(self):
        """No search runs: the button reads "Search Now" and the run's controls are enabled."""
        p = self.program
        self.assertEqual(p.text(SEARCH), "Search Now")
        for control in RUN_CONTROLS:
            self.assertTrue(p.enabled(control), control)

    def tearDown(self):
        self.program.stop_driver()
        self.server.release_all()
        self.keep_logs()
        output = self.program.output()
        if CRASH_MARK in output:
            self.fail(f"the program crashed:\n{output[-3000:]}")

    def keep_logs(self):
        """The browser's log and the program's output go with the scenario's logs, which
        outlive the Wine prefix."""
        p = self.program
        kept = [(self.browser_log, "browser.log")]
        kept += [(os.path.join(p.folder, "..", f"{p.name}-output{run}.txt"), f"output{run}.txt")
                 for run in range(1, p.runs + 1)]
        for path, name in kept:
            if os.path.exists(path):
                shutil.copy(path, os.path.join(self.logs, name))

    def feed_requests(self):
        return [r for r in self.server.logged() if r.host != feedserver.UPDATE_HOST]

    def browser_opened(self):
        if not os.path.exists(self.browser_log):
            return []
        with open(self.browser_log, encoding="latin-1") as f:
            return f.read().splitlines()

    def start_with(self, files, prepare=None):
        """Writes {name: text} into the program folder, a settings file that has the
        start-menu question answered first, then starts the program to its window."""
        self.program.write("kestrap.ini", "startmenu: done\r\n")
        for name, text in files.items():
            self.program.write(name, text)
        self.program.start(prepare)
        self.program.call("window", 30000)

    def save_and_wait(self):
        """Presses Save and waits until the browser has been asked to open the file."""
        before = len(self.browser_opened())
        self.program.click(SAVE)
        wait_until(lambda: len(self.browser_opened()) > before, 15, "the browser to be asked")

    def search(self, cities, terms, timeout=30):
        """Fills the two lists, runs a search to its end and returns the status lines."""
        self.program.set_text(CITIES, cities)
        self.program.set_text(TERMS, terms)
        # handled: the run has begun, so a "Search Complete" seen from here on is its own,
        # not the last run's still on show
        self.program.click(SEARCH, handled=True)
        wait_until(lambda: self.program.text(STATUS3) == "Search Complete", timeout,
                   "the end of the search")
        return self.program.status()

    def screenshot(self, name):
        """A picture of the virtual screen, cut to what is on it, kept with the run's logs."""
        subprocess.run(["import", "-window", "root", "-trim", "+repage",
                        os.path.join(self.work, name)], check=False)
