#!/usr/bin/python3
"""taplink-floor in a real browser (headless Chromium through Selenium), as
a setter and a viewer use it: a station serving two simulated controllers
(an R40/R60 that takes programs, an R80 that puts one out), its SQLite
journal, and the floor over both on 127.0.0.1, all started here in a scratch
folder. Nothing is waited for with a sleep: every wait polls a condition
until its deadline and says what did not happen.

  floor_browser_test.py STATION FLOOR SIM SCREENSHOT_DIR

Exit 0: passed; 77: skipped (no browser, not as root); anything else: failed.
CI runs as root and must have the browser: there a missing one fails.
"""
import importlib.util
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIPPED = 77
CHROMIUM, CHROMEDRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"
PASSWORD = "right horse battery"
# An R40/R60 program twice, one line changed (CR LF, as the controller gets
# it), and the R80 program the mill's controller puts out.
FIRST = b"%01\r\nN0000 G00 X10\r\nN0010 G01 Z-5 F100\r\nN0020 M30\r\n"
SECOND = FIRST.replace(b"Z-5", b"Z-7")
MILL_PROGRAM = b"%123\r\nN10 G92 X0 Z0\r\nN20 G00 X20 Z2\r\nN30 M30\r\n"
PHONE, TABLET = (412, 915), (800, 1280)


def missing_browser():
    """What of the browser is not here, or nothing."""
    missing = [p for p in (CHROMIUM, CHROMEDRIVER) if not os.access(p, os.X_OK)]
    if importlib.util.find_spec("selenium") is None:
        missing.append("python3-selenium")
    return missing


class Failure(Exception):
    pass


def wait_until(what, done, seconds=30):
    """done() polled every 50 ms until it is true (returned) or the deadline."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            got = done()
        except Exception as e:  # a page between two states: look again
            got, last = None, e
        else:
            last = None
        if got:
            return got
        if time.monotonic() > deadline:
            raise Failure(f"{what}: not within {seconds} s" + (f" ({last})" if last else ""))
        time.sleep(0.05)


class Floor:
    """The programs in a scratch folder, and the browser."""

    def __init__(self, station, floor, sim, shots):
        self.bin = {k: os.path.abspath(v) for k, v in
                    (("station", station), ("floor", floor), ("sim", sim))}
        self.shots = shots
        self.dir = tempfile.mkdtemp(prefix="floor-browser-")
        self.procs = {}
        self.driver = None

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def read(self, *parts):
        with open(self.path(*parts), "rb") as f:
            return f.read()

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def start(self, name, args):
        """A program of ours in its own process group, its output in NAME.log."""
        log = open(self.path(name + ".log"), "wb")
        self.procs[name] = subprocess.Popen(args, stdout=log, stderr=subprocess.STDOUT,
                                            stdin=subprocess.DEVNULL, cwd=self.dir,
                                            start_new_session=True)

    def said(self, name, pattern, seconds=30):
        """The first match of pattern in NAME.log, waited for."""
        log = name + ".log"
        return wait_until(f"{name} saying /{pattern}/",
                          lambda: re.search(pattern, self.read(log).decode(errors="replace")),
                          seconds)

    def sim(self, name, *args):
        self.start(name, [self.bin["sim"], *args])
        return self.said(name, r"TapLink port: (\S+)").group(1)

    def run_floor(self, *args, stdin=b""):
        return subprocess.run([self.bin["floor"], "--config", self.path("station.ini"), *args],
                              input=stdin, capture_output=True, timeout=60)

    def serve(self):
        """Two machines and their controllers, the station and the floor; the floor's URL."""
        # Says ready only when the setter presses its input key (press_input).
        lathe = self.sim("lathe-sim", "--model", "r40", "--role", "input", "--delay", "3600000",
                         "--out", self.path("lathe.received"))
        # Puts its program out once, then rests for the rest of the test.
        mill = self.sim("mill-sim", "--model", "r80", "--role", "output",
                        "--file", self.write("mill.program", MILL_PROGRAM), "--rest", "3600000")
        # The lathe's line paced so that a program stays in the outbox for
        # seconds: long enough for a page to show it waiting.
        self.write("station.ini", f"""[station]
journal = {self.path('journal.sqlite')}
[floor]
listen = 127.0.0.1:0
[lathe]
port = {lathe}
model = r40
speed = 40
rest = 1
outbox = lathe/out
inbox = lathe/in
[mill]
port = {mill}
model = r80
rest = 1
outbox = mill/out
inbox = mill/in
""".encode())
        for user, role in (("olga", "operator"), ("victor", "viewer")):
            r = self.run_floor("--add-user", user, "--role", role, stdin=PASSWORD.encode() + b"\n")
            if r.returncode != 0:
                raise Failure(f"--add-user {user}: {r.stderr.decode()}")
        self.start("station", [self.bin["station"], "--config", self.path("station.ini")])
        self.start("floor", [self.bin["floor"], "--config", self.path("station.ini")])
        port = self.said("floor", r"on http://127\.0\.0\.1:(\d+)/").group(1)
        self.url = f"http://127.0.0.1:{port}"
        return self.url

    def browser(self):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        o = webdriver.ChromeOptions()
        o.binary_location = CHROMIUM
        o.add_argument("--headless=new")
        if os.getuid() == 0:
            o.add_argument("--no-sandbox")
        # Loopback only: whatever Chromium would fetch on its own goes to a
        # proxy that is not there (loopback itself bypasses proxies).
        for a in ("--disable-dev-shm-usage", "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--disable-default-apps",
                  "--no-pings", "--proxy-server=http://127.0.0.1:9", "--window-size=1280,1024",
                  f"--user-data-dir={self.path('chromium')}"):
            o.add_argument(a)
        os.makedirs(self.path("downloads"))
        o.add_experimental_option("prefs", {"download.default_directory": self.path("downloads"),
                                            "download.prompt_for_download": False})
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER,
                                                       log_path=self.path("chromedriver.log")),
                                       options=o)
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": self.path("downloads")})
        return self.driver

    def shoot(self, name):
        """The whole page at a phone's and a tablet's width."""
        d = self.driver
        for label, (w, h) in (("phone", PHONE), ("tablet", TABLET)):
            metrics = {"width": w, "height": h, "deviceScaleFactor": 1, "mobile": True}
            d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", metrics)
            metrics["height"] = max(
                h, d.execute_script("return document.documentElement.scrollHeight"))
            d.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", metrics)
            png = d.get_screenshot_as_png()
            with open(os.path.join(self.shots, f"{name}-{label}.png"), "wb") as f:
                f.write(png)
        d.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})

    def fetch(self, path):
        """path with the browser's session cookie, outside the browser: (status, bytes)."""
        cookie = "; ".join(f"{c['name']}={c['value']}" for c in self.driver.get_cookies())
        req = urllib.request.Request(self.url + path, headers={"Cookie": cookie})
        with urllib.request.urlopen(req, timeout=10) as r:
            return r.status, r.read()

    def press_input(self):
        """The setter at the lathe once its program waits: the controller into input."""
        def state():
            machines = json.loads(self.fetch("/api/machines")[1])
            return next(m["state"] for m in machines if m["name"] == "lathe")
        wait_until("the lathe waiting for its controller to take the program",
                   lambda: state().startswith("waiting for the controller"))
        self.procs["lathe-sim"].send_signal(signal.SIGUSR1)

    def stop(self, failed):
        """Ends it all; whether it failed, a sanitizer's report in a log included."""
        if self.driver:
            if failed:
                try:
                    print("page at the failure:", self.driver.current_url)
                    print(self.driver.find_element("tag name", "body").text[:3000])
                    self.driver.save_screenshot(os.path.join(self.shots, "failure.png"))
                except Exception as e:
                    print("no page at the failure:", e)
            self.driver.quit()
        for p in self.procs.values():
            if p.poll() is None:
                os.killpg(p.pid, signal.SIGTERM)
        for p in self.procs.values():
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
        logs = {n: self.read(n).decode(errors="replace") for n in sorted(os.listdir(self.dir))
                if n.endswith(".log") and n != "chromedriver.log"}
        reported = [n for n, text in logs.items() if re.search(r"Sanitizer|runtime error:", text)]
        if reported:
            print("a sanitizer reported in " + ", ".join(reported))
        if failed or reported:
            for name, text in logs.items():
                print(f"--- {name}\n" + text[-4000:])
        shutil.rmtree(self.dir, ignore_errors=True)
        return failed or bool(reported)


def scenario(f):
    from selenium.webdriver.common.by import By
    url = f.serve()
    d = f.browser()

    def every(selector, within=None):
        return (within or d).find_elements(By.CSS_SELECTOR, selector)

    def one(selector, seconds=30):
        return wait_until(f"the page {d.current_url} showing {selector}",
                          lambda: every(selector), seconds)[0]

    def check(ok, what):
        if not ok:
            raise Failure(what)

    def at(path, prefix=False):
        try:
            wait_until(f"the browser at {path}", lambda: d.current_url == url + path
                       or prefix and d.current_url.startswith(url + path))
        except Failure as e:
            raise Failure(f"{e}: it is at {d.current_url}")

    def log_in(user):
        if not d.current_url.startswith(url + "/login"):
            d.get(url + "/login")
        one("#login input[name=user]").send_keys(user)
        one("#login input[name=password]").send_keys(PASSWORD)
        one("#login button[type=submit]").click()
        at("/")

    def log_out():
        one("#logout button").click()
        at("/login")

    def loaded_again(what):
        """Waits for the page marked before what to be replaced."""
        wait_until(f"a new page after {what}",
                   lambda: d.execute_script("return window.taplinkOld") is None)

    def upload(name, data):
        one("#upload input[type=file][name=document]").send_keys(f.write(name, data))
        d.execute_script("window.taplinkOld = true")
        one("#upload button[type=submit]").click()
        loaded_again("the upload")
        at("/machines/lathe")
        one(".notice")

    def sends(table, document):
        """The links of table's rows that sent document, done, newest first: read in
        one script, as the page may replace the table between two of selenium's calls."""
        return d.execute_script(
            "return [...document.querySelectorAll(arguments[0] + ' tbody tr')]"
            ".filter((tr) => [...tr.querySelectorAll('td.direction, td.document, td.outcome')]"
            ".map((td) => td.textContent.trim()).join('|') === 'send|' + arguments[1] + '|done')"
            ".map((tr) => tr.querySelector('a.transfer').href)", table, document)

    def sent(data):
        """Uploads shaft.nc, then watches it leave the outbox for the transfers, live."""
        upload("shaft.nc", data)
        one('#outbox li[data-file="shaft.nc"]')
        before = len(sends("#transfers", "shaft.nc"))
        d.execute_script("window.taplinkNotReloaded = true")
        f.press_input()
        wait_until("shaft.nc leaving #outbox for a new done row of #transfers",
                   lambda: not every('#outbox li[data-file="shaft.nc"]')
                   and len(sends("#transfers", "shaft.nc")) == before + 1, 60)
        check(d.execute_script("return window.taplinkNotReloaded") is True,
              "the page was loaded again while shaft.nc was sent")
        wait_until("the lathe's controller receiving shaft.nc whole",
                   lambda: f.read("lathe.received") == data)
        return sends("#transfers", "shaft.nc")[0]

    # Without a session, the floor sends to the login form, and back after it.
    d.get(url + "/")
    at("/login?next=", prefix=True)
    log_in("olga")

    # The floor: both machines, each with its state and its day's strip.
    for m in ("lathe", "mill"):
        section = one(f'section.machine#machine-{m}[data-machine="{m}"]')
        check(every(".state[data-kind]", section) and every(".strip svg", section),
              f"{m} on the floor without its state or its strip")
    wait_until("the floor showing the mill's received program as its last transfer",
               lambda: "123" in one("#machine-mill .last").text, 60)
    f.shoot("floor")

    # The lathe's page: two programs uploaded, one line changed, each seen
    # waiting and then sent without the page loading again.
    one("#machine-lathe a.name").click()
    at("/machines/lathe")
    first_link = sent(FIRST)
    second_link = sent(SECOND)
    f.shoot("machine")

    # The second's page: its document and its difference to the first, one
    # line each way; the first had nothing before it.
    d.get(second_link)
    check("N0010 G01 Z-7 F100" in one("#document").text, "#document without the program's text")
    check(f.fetch(one("a#download").get_attribute("href").removeprefix(url))[1] == SECOND,
          "a#download gives other than the program sent")
    # Each line as shown, its mark (-, + or a space) aside.
    removed, added = ([e.text.lstrip("-+ ") for e in every(f"#diff .{kind}")]
                      for kind in ("removed", "added"))
    check(removed == ["N0010 G01 Z-5 F100"] and added == ["N0010 G01 Z-7 F100"],
          f"#diff: removed {removed}, added {added}")
    check(len(every("#diff .same")) == 3, "#diff without the three lines both share")
    f.shoot("transfer")
    d.get(first_link)
    one(".nodiff")
    check(not every("#diff .added, #diff .removed"), "a difference for the lathe's first program")

    # The history, both sends in it.
    d.get(url + "/history")
    check(sends("#history", "shaft.nc") == [second_link, first_link],
          "#history without both sends of shaft.nc, newest first")
    f.shoot("history")

    # The mill's page: its received program downloaded by the browser.
    d.get(url + "/machines/mill")
    one('#inbox li a.download[href^="/api/machines/mill/inbox/123_"]').click()
    saved = wait_until("the browser saving the mill's program",
                       lambda: [n for n in os.listdir(f.path("downloads"))
                                if not n.endswith(".crdownload")])
    check(saved[0].startswith("123_"), f"the mill's program saved as {saved[0]}")
    check(f.read("downloads", saved[0]) == MILL_PROGRAM,
          "the download is not what the mill put out")
    log_out()

    # A viewer sees the lathe but may not upload to it.
    log_in("victor")
    d.get(url + "/machines/lathe")
    one("#transfers")
    check(not every("#upload"), "a viewer was given the upload form")
    log_out()
    d.get(url + "/")
    at("/login?next=", prefix=True)


def main():
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    missing = missing_browser()
    if missing:
        print("the browser test needs " + ", ".join(missing) + " (scripts/deps installs them)")
        # CI runs as root, and there it must run.
        sys.exit(1 if os.getuid() == 0 else SKIPPED)
    shutil.rmtree(sys.argv[4], ignore_errors=True)
    os.makedirs(sys.argv[4])
    f = Floor(*sys.argv[1:])
    failed = True
    try:
        scenario(f)
        failed = False
    except Failure as e:
        print("FAILED:", e)
    finally:
        failed = f.stop(failed)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
