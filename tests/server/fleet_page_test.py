#!/usr/bin/env python3
"""The fleet page in headless Chromium, against a real lumavox-server and
virtual signs (signsim) on loopback.

Run by ctest with --server and --signsim. With --screenshot PNG it draws the
page with a small fleet instead (make screenshot). Exits 77 (skipped) with a
line saying why when Chromium, its driver or Selenium is not installed.
"""
import argparse
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

SKIPPED = 77
# A document file as the editor saves it.
DOCUMENT = os.path.realpath(os.path.join(os.path.dirname(__file__), "..", "..", "fuzz", "corpus",
                                         "document", "demo.glm"))
LIMIT = 60  # seconds: a bound only a failing run meets


def line_from(proc, prefix, limit=20):
    """The first line of the process's output that starts with prefix."""
    end = time.monotonic() + limit
    buffered = b""
    while time.monotonic() < end:
        ready, _, _ = select.select([proc.stdout], [], [], 0.5)
        if not ready:
            if proc.poll() is not None:
                break
            continue
        chunk = os.read(proc.stdout.fileno(), 4096)
        if not chunk:
            break
        buffered += chunk
        for line in buffered.decode(errors="replace").splitlines():
            if line.startswith(prefix):
                return line
    raise RuntimeError("%s never said %r (it said %r)" % (proc.args[0], prefix, buffered))


class Fleet:
    """The service and its virtual signs, stopped on the way out."""

    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.procs = []
        state = os.path.join(work, "state")
        server = self.spawn([args.server, "--state", state, "--listen", "127.0.0.1:0",
                             "--gprs-port", "0"])
        prefix = "listening on http://127.0.0.1:"
        self.base = "http://127.0.0.1:%d" % int(line_from(server, prefix)[len(prefix):])
        with open(os.path.join(state, "token")) as f:
            self.token = f.read().strip()

    def spawn(self, argv):
        proc = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.procs.append(proc)
        return proc

    def sign(self, store, address=1, size="160x16"):
        """A virtual sign on a free port; its port."""
        proc = self.spawn([self.args.signsim, "--tcp", "0", "--address", str(address),
                           "--store", os.path.join(self.work, store), "--idle-ms", "0",
                           "--size", size])
        return int(line_from(proc, "LISTEN ").rsplit(":", 1)[1])

    def call(self, method, path, body=None, token=None):
        data = None if body is None else json.dumps(body).encode()
        request = urllib.request.Request(self.base + path, data=data, method=method)
        request.add_header("Authorization", "Bearer " + (token or self.token))
        if data is not None:
            request.add_header("Content-Type", "application/json")
        try:
            with urllib.request.urlopen(request, timeout=30) as r:
                return r.status, json.loads(r.read() or b"null")
        except urllib.error.HTTPError as e:
            return e.code, json.loads(e.read() or b"null")

    def register(self, **sign):
        status, answer = self.call("POST", "/api/v1/signs", sign)
        if status != 201:
            raise RuntimeError("registering %s: %s %s" % (sign["name"], status, answer))

    def close(self):
        for proc in reversed(self.procs):
            proc.terminate()
            try:
                proc.wait(20)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()


def browser():
    """Headless Chromium through its driver, or None with the reason."""
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        return None, "Selenium for Python is not installed (Debian: python3-selenium)"
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    driver = shutil.which("chromedriver")
    if not chromium or not driver:
        return None, "Chromium or its driver is not installed (Debian: chromium, chromium-driver)"
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for a in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
              "--window-size=1280,800", "--force-device-scale-factor=1", "--lang=en-GB"):
        options.add_argument(a)
    return webdriver.Chrome(service=Service(driver), options=options), ""


def wait(driver, what, condition, limit=LIMIT):
    """Until condition(driver) holds. The page redraws its rows as events
    arrive, so an element looked up may be replaced while it is read."""
    from selenium.common.exceptions import NoSuchElementException, StaleElementReferenceException
    from selenium.webdriver.support.ui import WebDriverWait
    try:
        return WebDriverWait(driver, limit, poll_frequency=0.1, ignored_exceptions=(
            NoSuchElementException, StaleElementReferenceException)).until(condition)
    except Exception:
        raise AssertionError("waited in vain for %s; the page says:\n%s" % (
            what, driver.find_element("tag name", "body").text))


def by_id(driver, id_):
    return driver.find_element("id", id_)


def cell(driver, sign, column):
    return driver.find_element("css selector", 'tr[data-sign="%s"] td.%s' % (sign, column)).text


def stored_text(store, name):
    """The bytes signsim --store keeps of text file `name` of the line's first sign."""
    hexname = "".join("%02X" % c for c in name.encode().ljust(8, b"\0")[:8])
    path = os.path.join(store, "sign1", "text", hexname + ".bin")
    with open(path, "rb") as f:
        return f.read()


def choose(driver, select_id, value):
    from selenium.webdriver.support.ui import Select
    Select(by_id(driver, select_id)).select_by_value(value)


def log_in_and_send(fleet, driver, work):
    """What an operator does on the page, checked step by step."""
    from selenium.webdriver.common.keys import Keys

    # A wrong token is refused in words, and nothing of the fleet shows.
    driver.get(fleet.base + "/")
    wait(driver, "the login form", lambda d: by_id(d, "token").is_displayed())
    by_id(driver, "token").send_keys("not-the-token", Keys.ENTER)
    wait(driver, "the refusal", lambda d: "refused" in by_id(d, "login-error").text)
    assert not by_id(driver, "app").is_displayed()

    # The token in the address's fragment logs in and leaves the address bar.
    driver.get(fleet.base + "/#token=" + fleet.token)
    wait(driver, "the three signs", lambda d: len(d.find_elements(
        "css selector", "#sign-rows tr")) == 3)
    assert "token" not in driver.current_url, driver.current_url
    assert driver.execute_script("return sessionStorage.getItem('lumavox-token')") == fleet.token
    assert cell(driver, "left", "route").startswith("tcp:127.0.0.1:")
    assert cell(driver, "right", "groups") == "hall"
    assert cell(driver, "bus9", "online") == "Off line"
    wait(driver, "the live mark", lambda d: by_id(d, "live").text == "Live")
    driver.execute_script("window.notReloaded = true")

    # A sign registered by a script shows up as it is; a removed one goes.
    fleet.register(name="porch", link="tcp:127.0.0.1:1", width=96, height=16)
    wait(driver, "the new sign", lambda d: cell(d, "porch", "route") == "tcp:127.0.0.1:1")
    assert fleet.call("DELETE", "/api/v1/signs/porch")[0] == 204
    wait(driver, "the sign gone", lambda d: not d.find_elements("css selector",
                                                                 'tr[data-sign="porch"]'))

    # A quick message to the group, seen played before it goes.
    driver.find_element("css selector", "input[name=target][value=group]").click()
    choose(driver, "target-group", "hall")
    by_id(driver, "msg-text").send_keys("Hello hall")
    choose(driver, "msg-colour", "[GRN]")
    wait(driver, "the message's preview", lambda d: by_id(d, "msg-preview").is_displayed() and
         by_id(d, "msg-preview").get_attribute("src").startswith("blob:"))
    by_id(driver, "send-button").click()
    wait(driver, "the jobs queued", lambda d: "Queued as 2 jobs" in by_id(d, "send-result").text)
    for sign in ("left", "right"):
        wait(driver, sign + " delivered", lambda d: cell(d, sign, "last").startswith("delivered"))
        wait(driver, sign + "'s picture", lambda d: d.find_element(
            "css selector", 'tr[data-sign="%s"] td.show img' % sign).get_attribute(
            "src").startswith("blob:"))
    assert driver.execute_script("return window.notReloaded === true"), "the page was reloaded"

    # Each sign holds exactly what the service built for the message.
    left = stored_text(os.path.join(work, "left"), "MESSAGE")
    right = stored_text(os.path.join(work, "right"), "MESSAGE")
    assert b"Hello hall" in left, left
    assert left == right, (left, right)
    assert left.count(b"Hello hall") == 1, left

    # A document file uploaded from the page reaches the sign.
    driver.find_element("css selector", "input[name=target][value=sign]").click()
    choose(driver, "target-sign", "right")
    driver.find_element("css selector", "input[name=kind][value=glm]").click()
    by_id(driver, "glm-file").send_keys(DOCUMENT)
    by_id(driver, "send-button").click()
    wait(driver, "the document queued", lambda d: "Queued as job" in by_id(d, "send-result").text)
    wait(driver, "the document delivered", lambda d: cell(d, "right", "last").startswith(
        "delivered") and "document of %d bytes" % os.path.getsize(DOCUMENT) in cell(
        d, "right", "last"))

    # A command for the off-line sign waits; it is cancelled from the list.
    choose(driver, "target-sign", "bus9")
    driver.find_element("css selector", "input[name=kind][value=command]").click()
    choose(driver, "command", "adjust-time")
    by_id(driver, "send-button").click()
    wait(driver, "the command queued", lambda d: "Queued as job" in by_id(d, "send-result").text)
    job = by_id(driver, "send-result").text.split("job ")[1].rstrip(".")
    wait(driver, "bus9 waiting", lambda d: cell(d, "bus9", "waiting").startswith("queued"))
    row = 'tr[data-job="%s"]' % job
    wait(driver, "the cancel button", lambda d: d.find_elements("css selector", row + " button.cancel"))
    wait(driver, "the cancel button pressed", lambda d: d.find_element(
        "css selector", row + " button.cancel").click() or True)
    wait(driver, "the job cancelled", lambda d: d.find_element(
        "css selector", row + " td.job-state").text.startswith("cancelled"))
    wait(driver, "bus9 no longer waiting", lambda d: cell(d, "bus9", "waiting") == "nothing")
    assert fleet.call("GET", "/api/v1/jobs/" + job)[1]["state"] == "cancelled"
    assert not by_id(driver, "jobs-error").text, by_id(driver, "jobs-error").text
    assert driver.execute_script("return window.notReloaded === true"), "the page was reloaded"


def with_fleet(args, body):
    """body(fleet, driver, work) with a browser and a service of its own;
    None and the reason when there is no browser."""
    driver, why = browser()
    if not driver:
        return None, why
    work = tempfile.mkdtemp(prefix="fleet-page-")
    fleet = None
    try:
        fleet = Fleet(args, work)
        return body(fleet, driver, work), ""
    finally:
        driver.quit()
        if fleet:
            fleet.close()
        shutil.rmtree(work, ignore_errors=True)


def operator_session(fleet, driver, work):
    for name, address in (("left", 1), ("right", 2)):
        port = fleet.sign(name, address, "96x16")
        fleet.register(name=name, link="tcp:127.0.0.1:%d" % port, address=address,
                       width=96, height=16, groups=["hall"])
    # A GPRS sign whose device never calls in: its jobs wait.
    fleet.register(name="bus9", link="gprs:BUS9", width=96, height=16)
    log_in_and_send(fleet, driver, work)
    print("the fleet page: log-in, live group delivery and cancel work")
    return 0


def small_fleet_picture(fleet, driver, work):
    """The page with a few virtual signs, as an operator sees it."""
    signs = [
        ("platform-1", ["station", "platforms"], "Next: 10:42 Harbour  On time", "[GRN]", 160),
        ("platform-2", ["station", "platforms"], "Next: 10:47 Airport  +3 min", "[YEL]", 160),
        ("entrance", ["station"], "Welcome", "[RED]", 96),
        ("car-park", ["outdoor"], "Spaces free: 128", "[GRN]", 96),
    ]
    for name, groups, text, colour, width in signs:
        port = fleet.sign(name, 1, "%dx16" % width)
        fleet.register(name=name, link="tcp:127.0.0.1:%d" % port, width=width, height=16,
                       groups=groups)
        fleet.call("POST", "/api/v1/jobs", {"sign": name, "message": {
            "text": text, "colour": colour}})
    fleet.register(name="bus-7", link="gprs:BUS7", width=96, height=16, groups=["outdoor"])
    fleet.call("POST", "/api/v1/jobs", {"sign": "bus-7", "message": {"text": "Route 7"}})
    fleet.register(name="kiosk", link="tcp:127.0.0.1:1", width=96, height=16)
    fleet.call("POST", "/api/v1/jobs", {"sign": "kiosk", "command": "adjust-time", "expires": 1})
    driver.get(fleet.base + "/#token=" + fleet.token)
    wait(driver, "every sign's picture", lambda d: len([
        i for i in d.find_elements("css selector", "td.show img")
        if i.get_attribute("src").startswith("blob:")]) == len(signs))
    wait(driver, "the kiosk's job ended", lambda d: not cell(d, "kiosk", "last").startswith(
        ("queued", "sending")))
    # The session's own words for the job that could not reach its sign.
    wait(driver, "the kiosk's reason", lambda d: d.find_element(
        "css selector", "#job-rows details summary").click() or True)
    by_id(driver, "msg-text").send_keys("Doors closing")
    choose(driver, "msg-colour", "[RED]")
    wait(driver, "the message's preview", lambda d: by_id(d, "msg-preview").is_displayed())
    driver.execute_script("document.activeElement.blur()")
    time.sleep(1.5)  # the GIFs play on to a frame with text
    # The whole page, at least 1280x800.
    height = max(800, driver.execute_script("return document.documentElement.scrollHeight"))
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": 1280, "height": height, "deviceScaleFactor": 1, "mobile": False})
    driver.save_screenshot(fleet.args.screenshot)
    print("wrote " + fleet.args.screenshot)
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--server", required=True)
    parser.add_argument("--signsim", required=True)
    parser.add_argument("--screenshot")
    args = parser.parse_args()
    status, why = with_fleet(args, small_fleet_picture if args.screenshot else operator_session)
    if status is None:
        if args.screenshot:
            print("no picture of the fleet page: " + why, file=sys.stderr)
            return 1
        print("SKIPPED: the fleet page's browser test needs Chromium: " + why)
        return SKIPPED
    return status


if __name__ == "__main__":
    sys.exit(main())
