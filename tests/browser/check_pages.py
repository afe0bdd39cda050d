#!/usr/bin/python3
"""Checks the archive's browsing pages in a real browser.

    check_pages.py FOLDER
        Every FOLDER/*.html is validated as HTML5 (tidy and html5lib's strict
        parser) and opened from disk in headless Chromium, which must show:
        every image loaded, 286 x 221 pixels, shown at that size; every link
        and every resource a file of FOLDER that exists; no script; no
        horizontal scrolling at 360 px (with the page's viewport); text
        readable, and the page following the browser's theme, in the light
        theme and the dark one. Exit status 0 when every page passes, 1 when
        any fails (one line for each fault, naming the page and the element),
        2 when the check could not be made.

    check_pages.py --screenshot PNG PAGE [--width PX] [--dark] [--scale N]
        A PNG of the whole of PAGE, every image loaded, at a device scale
        factor of N (1 unless given).

    check_pages.py --text PAGE
        The words PAGE shows, at device scale factors of 1 and 2, on a
        desktop and on a 360 px phone: for each heading, paragraph, list
        item, legend term and description and table caption that holds text,
        a line "SCALEx WIDTHpx SHOWN: TEXT", SHOWN "shown" when it is laid
        out, visible and within the width of the screen, else "hidden".

    check_pages.py --sharp PAGE
        Each chart of PAGE shown at a device scale factor of 2, as on most
        phones and laptops: for each, a line "KIND NAME FOREIGN PIXELS", its
        kind (svg, shown from vectors, or gif), its file, and of the PIXELS
        of the plot area inside its border, those in a colour that is not
        the chart's own: a bitmap that the browser enlarges has its lines
        smoothed, a vector chart none. Needs Pillow (Debian's python3-pil).

The browser is driven through the DevTools protocol on a pipe (Chromium's
--remote-debugging-pipe: commands on its fd 3, answers on its fd 4), with a
fresh profile, no network use, and a deadline for every step. Standard
library only; run with Debian's python3 (/usr/bin/python3), which has
python3-html5lib.
"""

import argparse
import base64
import fcntl
import io
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

CHROMIUM = "/usr/bin/chromium"
CHART_SIZE = (286, 221)
DESKTOP = {"width": 2200, "height": 1200, "deviceScaleFactor": 1, "mobile": False}
PHONE = {"width": 360, "height": 740, "deviceScaleFactor": 1, "mobile": True}
STEP_SECONDS = 20  # any one answer of the browser, a page load included

# tidy 5.6 (Debian 12) predates the img element's loading attribute and calls
# it proprietary; its value is checked in the browser instead.
TIDY_FALSE_POSITIVES = [re.compile(r'^line \d+ column \d+ - Warning: <img> proprietary attribute "loading"$')]


class CheckError(Exception):
    """The check itself could not be made (exit status 2)."""


# --- HTML5 validation ---------------------------------------------------------

def validation_faults(path):
    faults = []
    try:
        tidy = subprocess.run(["tidy", "-quiet", "-errors", path], capture_output=True, text=True, timeout=STEP_SECONDS)
    except FileNotFoundError:
        raise CheckError("tidy not found (Debian package tidy)")
    for line in tidy.stderr.splitlines():
        if line.strip() and not any(pattern.match(line) for pattern in TIDY_FALSE_POSITIVES):
            faults.append("tidy: " + line)
    if tidy.returncode not in (0, 1) and not faults:
        faults.append(f"tidy: exit status {tidy.returncode}")

    try:
        import html5lib
    except ImportError:
        raise CheckError("html5lib not found: run with /usr/bin/python3 (Debian package python3-html5lib)")
    parser = html5lib.HTMLParser(strict=True)
    with open(path, "rb") as page:
        try:
            parser.parse(page)
        except html5lib.html5parser.ParseError:
            pass
    for (line, column), code, details in parser.errors:
        faults.append(f"html5lib: line {line} column {column}: {code} {details or ''}".rstrip())
    return faults


# --- the browser --------------------------------------------------------------

class Browser:
    """One headless Chromium, one tab, spoken to over the DevTools pipe."""

    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="check_pages-")
        self.log = open(os.path.join(self.profile, "chromium.log"), "w+")
        commands_read, self.commands = os.pipe()
        self.answers, answers_write = os.pipe()

        def as_fds_3_and_4():
            # Moved above 4 first, so that neither end lands on the other.
            read_end = fcntl.fcntl(commands_read, fcntl.F_DUPFD, 10)
            write_end = fcntl.fcntl(answers_write, fcntl.F_DUPFD, 10)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)

        arguments = [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--disable-extensions", "--disable-dev-shm-usage", "--hide-scrollbars", "--mute-audio",
                     "--user-data-dir=" + os.path.join(self.profile, "profile"), "--remote-debugging-pipe",
                     "about:blank"]
        try:
            # Its temporary files (a singleton socket) go into the profile's
            # folder too, which close() removes: a killed browser leaves
            # nothing behind.
            self.process = subprocess.Popen(arguments, stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
                                            pass_fds=(3, 4), preexec_fn=as_fds_3_and_4, start_new_session=True,
                                            env=dict(os.environ, TMPDIR=self.profile))
        except OSError as error:
            self.close()
            raise CheckError(f"cannot start {CHROMIUM}: {error} (Debian package chromium)")
        finally:
            os.close(commands_read)
            os.close(answers_write)
        self.buffer = b""
        self.events = []
        self.next_id = 0
        self.session = None
        try:
            target = self.call("Target.createTarget", {"url": "about:blank"}, session=False)["targetId"]
            self.session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True},
                                     session=False)["sessionId"]
            self.call("Page.enable")
        except CheckError:
            self.close()
            raise

    def close(self):
        if getattr(self, "process", None):
            try:  # the whole group: the browser's own processes too
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait()
        for fd in ("commands", "answers"):
            if getattr(self, fd, None) is not None:
                os.close(getattr(self, fd))
                setattr(self, fd, None)
        self.log.close()
        shutil.rmtree(self.profile, ignore_errors=True)

    def log_tail(self):
        self.log.seek(0)
        return "".join(self.log.readlines()[-10:])

    def _message(self, deadline):
        while b"\0" not in self.buffer:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.answers], [], [], left)[0]:
                raise CheckError("Chromium gave no answer in time\n" + self.log_tail())
            chunk = os.read(self.answers, 1 << 20)
            if not chunk:
                raise CheckError("Chromium ended\n" + self.log_tail())
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def call(self, method, params=None, session=True):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = self.session
        try:
            os.write(self.commands, json.dumps(message).encode() + b"\0")
        except BrokenPipeError:
            raise CheckError("Chromium ended\n" + self.log_tail())
        deadline = time.monotonic() + STEP_SECONDS
        while True:
            answer = self._message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise CheckError(f"{method}: {answer['error'].get('message')}")
                return answer.get("result", {})
            if "method" in answer:
                self.events.append(answer)

    def wait_for_event(self, method):
        deadline = time.monotonic() + STEP_SECONDS
        while True:
            for event in self.events:
                if event["method"] == method and event.get("sessionId") == self.session:
                    self.events.remove(event)
                    return event
            answer = self._message(deadline)
            if "method" in answer:
                self.events.append(answer)

    def open(self, path, metrics, dark=False):
        self.call("Emulation.setDeviceMetricsOverride", metrics)
        self.theme(dark)
        self.events.clear()
        result = self.call("Page.navigate", {"url": file_url(path)})
        if result.get("errorText"):
            raise CheckError(f"{os.path.basename(path)}: {result['errorText']}")
        self.wait_for_event("Page.loadEventFired")

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "awaitPromise": True, "returnByValue": True})
        if "exceptionDetails" in result:
            raise CheckError("script failed: " + json.dumps(result["exceptionDetails"])[:500])
        return result["result"].get("value")

    def theme(self, dark):
        self.call("Emulation.setEmulatedMedia",
                  {"features": [{"name": "prefers-color-scheme", "value": "dark" if dark else "light"}]})


def file_url(path):
    return "file://" + urllib.request.pathname2url(os.path.abspath(path))


# --- what the browser reports ---------------------------------------------------

# Brings every image into view in turn, so that lazy ones load, and waits
# for each to load or fail, 15 s in all (a lazy image that never starts
# counts as failed).
LOAD_IMAGES = """(async () => {
  const end_of_wait = Date.now() + 15000;
  const settled = img => new Promise(done => {
    if (img.complete && img.getAttribute('loading') !== 'lazy') return done();
    const timer = setTimeout(done, Math.max(0, end_of_wait - Date.now()));
    const end = () => { clearTimeout(timer); done(); };
    img.addEventListener('load', end, {once: true});
    img.addEventListener('error', end, {once: true});
    if (img.complete) end();
  });
  for (const img of document.images) {
    img.scrollIntoView({block: 'center'});
    await settled(img);
  }
  window.scrollTo(0, 0);
})()"""

DESCRIBE = """(() => {
  const tag = e => '<' + e.localName + [...e.attributes].filter(a => a.name !== 'style')
      .map(a => ' ' + a.name + '="' + a.value + '"').join('').slice(0, 120) + '>';
  const images = [...document.images].filter(img => !img.closest('object')).map(img => ({
    element: tag(img), complete: img.complete, natural: [img.naturalWidth, img.naturalHeight],
    shown: [img.width, img.height],
    loading: img.getAttribute('loading') === null || img.getAttribute('loading') === img.loading}));
  const objects = [...document.querySelectorAll('object')].map(o => ({
    element: tag(o), url: o.data, type: o.type,
    shown: [o.getBoundingClientRect().width, o.getBoundingClientRect().height],
    fallback: [...o.querySelectorAll('img')].map(img => img.src)}));
  const links = [...document.querySelectorAll('[href]')].map(e => ({element: tag(e), url: e.href}));
  const sources = [...document.querySelectorAll('[src], object[data]')]
      .map(e => ({element: tag(e), url: e.src || e.data}));
  const fetched = performance.getEntriesByType('resource').map(r => r.name);
  const scripts = [...document.scripts].map(tag);
  return {images, objects, links, sources, fetched, scripts};
})()"""

# A phone lays a page out wider than its screen when the page has no
# viewport meta element, or when something in it is too wide to fit.
PHONE_LAYOUT = """(() => {
  const width = Math.max(window.innerWidth, document.documentElement.scrollWidth);
  const wide = [...document.body.querySelectorAll('*')]
      .filter(e => e.getBoundingClientRect().right > 360.5)
      .map(e => '<' + e.localName + (e.className ? ' class="' + e.className + '"' : '') + '>');
  return {width, wide: wide.slice(0, 3), viewport: !!document.querySelector('meta[name=viewport]')};
})()"""

# Every visible element that holds text: its colour against the first
# background behind it (the canvas's when none is painted), WCAG ratio.
CONTRAST = """((dark) => {
  const rgb = text => (text.match(/[\\d.]+/g) || []).map(Number);
  const luminance = ([r, g, b]) => [r, g, b].map(c => c / 255)
      .map(c => c <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4)
      .reduce((sum, c, i) => sum + c * [0.2126, 0.7152, 0.0722][i], 0);
  const background = e => {
    for (; e; e = e.parentElement) {
      const colour = rgb(getComputedStyle(e).backgroundColor);
      if (colour.length === 3 || colour[3] > 0) return colour.slice(0, 3);
    }
    return dark ? [18, 18, 18] : [255, 255, 255];
  };
  const ratio = (a, b) => { const [x, y] = [luminance(a), luminance(b)].sort((p, q) => q - p);
                            return (x + 0.05) / (y + 0.05); };
  const faults = [];
  for (const e of document.body.querySelectorAll('*')) {
    const text = [...e.childNodes].filter(n => n.nodeType === 3).map(n => n.data).join('').trim();
    if (!text || !e.getClientRects().length) continue;
    const r = ratio(rgb(getComputedStyle(e).color).slice(0, 3), background(e));
    if (r < 4.5) faults.push('<' + e.localName + '> "' + text.slice(0, 30) + '": contrast ' + r.toFixed(2));
  }
  return {page: luminance(background(document.body)), faults: faults.slice(0, 5)};
})"""


def inside(folder, url):
    """The file of `folder` that `url` names, or None when it names no file there."""
    parts = urllib.parse.urlsplit(url)
    if parts.scheme != "file" or parts.netloc not in ("", "localhost"):
        return None
    path = os.path.realpath(urllib.request.url2pathname(parts.path))
    return path if path.startswith(os.path.realpath(folder) + os.sep) else None


def picture_faults(report):
    """What is wrong with the charts of a page as the browser shows them."""
    faults = []
    for image in report["images"]:
        if not image["complete"] or image["natural"] == [0, 0]:
            faults.append(f"{image['element']}: did not load (no such file, or not an image)")
        elif tuple(image["natural"]) != CHART_SIZE:
            faults.append(f"{image['element']}: is {image['natural'][0]} x {image['natural'][1]}, not "
                          f"{CHART_SIZE[0]} x {CHART_SIZE[1]}")
        elif tuple(image["shown"]) != CHART_SIZE:
            faults.append(f"{image['element']}: shown at {image['shown'][0]} x {image['shown'][1]}, not its "
                          f"natural size")
        if not image["loading"]:
            faults.append(f"{image['element']}: invalid loading attribute")
    for picture in report["objects"]:
        # A vector chart: shown at the chart's size, with the GIF inside it
        # for where it cannot be shown.
        if tuple(picture["shown"]) != CHART_SIZE:
            faults.append(f"{picture['element']}: shown at {picture['shown'][0]} x {picture['shown'][1]}, not "
                          f"{CHART_SIZE[0]} x {CHART_SIZE[1]}")
        if not picture["fallback"]:
            faults.append(f"{picture['element']}: no GIF inside it for browsers that cannot show it")
    return faults


def browser_faults(browser, folder, page, counts):
    faults = []
    # As most phones and laptops show it too, at two device pixels a pixel.
    browser.open(page, dict(DESKTOP, deviceScaleFactor=2))
    browser.evaluate(LOAD_IMAGES)
    faults.extend("at a scale factor of 2: " + fault for fault in picture_faults(browser.evaluate(DESCRIBE)))
    browser.open(page, DESKTOP)
    browser.evaluate(LOAD_IMAGES)
    report = browser.evaluate(DESCRIBE)
    counts["images"] += len(report["images"]) + len(report["objects"])
    counts["links"] += len(report["links"])
    faults.extend(picture_faults(report))
    for picture in report["objects"]:
        for url in [picture["url"]] + picture["fallback"]:
            target = inside(folder, url)
            if target is not None and not os.path.isfile(target):
                faults.append(f"{picture['element']}: {os.path.relpath(target, folder)} does not exist")
    for link in report["links"]:
        if link["url"].startswith("data:"):
            continue  # held in the page itself (its icon): nothing to fetch
        target = inside(folder, link["url"])
        if target is None:
            faults.append(f"{link['element']}: leads outside the folder ({link['url']})")
        elif not os.path.isfile(target):
            faults.append(f"{link['element']}: leads to {os.path.relpath(target, folder)}, which does not exist")
    for source in report["sources"]:
        if inside(folder, source["url"]) is None:
            faults.append(f"{source['element']}: an external resource ({source['url']})")
    for url in report["fetched"]:
        if inside(folder, url) is None:
            faults.append(f"fetched an external resource: {url}")
    for script in report["scripts"]:
        faults.append(f"{script}: a script")

    for dark in (False, True):
        theme = "dark" if dark else "light"
        browser.theme(dark)
        contrast = browser.evaluate(CONTRAST + f"({json.dumps(dark)})")
        if (contrast["page"] < 0.5) != dark:
            faults.append(f"{theme} theme: the page does not follow it (background luminance "
                          f"{contrast['page']:.2f})")
        faults.extend(f"{theme} theme: {fault}" for fault in contrast["faults"])

    browser.open(page, PHONE)
    layout = browser.evaluate(PHONE_LAYOUT)
    if layout["width"] > PHONE["width"]:
        why = "no viewport meta element" if not layout["viewport"] else "too wide: " + ", ".join(layout["wide"])
        faults.append(f"360 px phone: laid out {layout['width']} px wide ({why})")
    return faults


def check(folder):
    pages = sorted(name for name in os.listdir(folder) if name.endswith(".html"))
    if not pages:
        raise CheckError(f"no .html page in {folder}")
    failed = 0
    counts = {"images": 0, "links": 0}
    browser = Browser()
    try:
        for name in pages:
            path = os.path.join(folder, name)
            faults = validation_faults(path) + browser_faults(browser, folder, path, counts)
            for fault in faults:
                print(f"FAIL {name}: {fault}")
            failed += bool(faults)
    finally:
        browser.close()
    print(f"checked {len(pages)} pages: {counts['images']} images, {counts['links']} links")
    print(f"{len(pages) - failed} passed, {failed} failed")
    return 1 if failed else 0


def screenshot(png, page, width, dark, scale=1):
    metrics = dict(PHONE if width <= PHONE["width"] * 1.5 else DESKTOP, width=width, deviceScaleFactor=scale)
    browser = Browser()
    try:
        browser.open(page, metrics, dark)
        browser.evaluate(LOAD_IMAGES)
        height = browser.evaluate("Math.ceil(document.documentElement.getBoundingClientRect().height)")
        browser.call("Emulation.setDeviceMetricsOverride", dict(metrics, height=height))
        data = browser.call("Page.captureScreenshot", {"format": "png", "captureBeyondViewport": True})["data"]
    finally:
        browser.close()
    with open(png, "wb") as file:
        file.write(base64.b64decode(data))
    return 0


# The colours of a chart, and inside its border the plot area (columns 36
# to 275, rows 17 to 177 of the 286 x 221 pixels), where no text lies.
CHART_COLOURS = {(0, 0, 0), (255, 255, 0), (100, 100, 100), (255, 255, 255), (255, 0, 0), (0, 255, 0)}
PLOT_AREA = (36, 17, 276, 178)

CHARTS = """[...document.querySelectorAll('.day > img, .day > object')].map(e => {
  const r = e.getBoundingClientRect();
  return {kind: e.localName === 'object' ? 'svg' : 'gif', name: e.getAttribute('src') || e.getAttribute('data'),
          x: r.left + window.scrollX, y: r.top + window.scrollY};
})"""


# Each element of text that a reader looks for, and whether it is shown on
# a screen `width` pixels wide: laid out, visible, and not beyond either side
# of the screen (a page wider than a phone's screen is laid out wider).
TEXTS = """(width => [...document.body.querySelectorAll('h1, h2, h3, p, li, dt, dd, caption')].map(e => {
  const r = e.getBoundingClientRect();
  const shown = e.getClientRects().length > 0 && r.width > 0 && getComputedStyle(e).visibility === 'visible' &&
      r.left >= -0.5 && r.right <= width + 0.5;
  return {shown, text: e.textContent.replace(/\\s+/g, ' ').trim()};
}).filter(t => t.text))"""


def texts(page):
    browser = Browser()
    try:
        for scale in (1, 2):
            for metrics in (DESKTOP, PHONE):
                browser.open(page, dict(metrics, deviceScaleFactor=scale))
                for text in browser.evaluate(TEXTS + f"({metrics['width']})"):
                    print(f"{scale}x {metrics['width']}px {'shown' if text['shown'] else 'hidden'}: {text['text']}")
    finally:
        browser.close()
    return 0


def sharpness(page):
    try:
        from PIL import Image
    except ImportError:
        raise CheckError("Pillow not found: run with /usr/bin/python3 (Debian package python3-pil)")
    scale = 2
    browser = Browser()
    try:
        browser.open(page, dict(DESKTOP, deviceScaleFactor=scale))
        browser.evaluate(LOAD_IMAGES)
        for chart in browser.evaluate(CHARTS):
            clip = {"x": chart["x"], "y": chart["y"], "width": CHART_SIZE[0], "height": CHART_SIZE[1], "scale": 1}
            data = browser.call("Page.captureScreenshot",
                                {"format": "png", "clip": clip, "captureBeyondViewport": True})["data"]
            shown = Image.open(io.BytesIO(base64.b64decode(data))).convert("RGB")
            left, top, right, bottom = (scale * edge for edge in PLOT_AREA)
            area = list(shown.crop((left, top, right, bottom)).getdata())
            foreign = sum(1 for colour in area if colour not in CHART_COLOURS)
            print(f"{chart['kind']} {chart['name']} {foreign} {len(area)}")
    finally:
        browser.close()
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder", nargs="?", help="the folder of the pages and the charts")
    parser.add_argument("--screenshot", nargs=2, metavar=("PNG", "PAGE"), help="write a PNG of PAGE")
    parser.add_argument("--width", type=int, default=DESKTOP["width"], help="the screenshot's width in px")
    parser.add_argument("--dark", action="store_true", help="the screenshot in the dark theme")
    parser.add_argument("--scale", type=int, default=1, help="the screenshot's device scale factor")
    parser.add_argument("--sharp", metavar="PAGE", help="how sharp each chart of PAGE is at a scale factor of 2")
    parser.add_argument("--text", metavar="PAGE", help="the words PAGE shows at scale factors 1 and 2")
    arguments = parser.parse_args()
    if [bool(arguments.folder), bool(arguments.screenshot), bool(arguments.sharp),
            bool(arguments.text)].count(True) != 1:
        parser.error("give one of FOLDER, --screenshot PNG PAGE, --sharp PAGE and --text PAGE")
    try:
        if arguments.screenshot:
            return screenshot(*arguments.screenshot, arguments.width, arguments.dark, arguments.scale)
        if arguments.sharp:
            return sharpness(arguments.sharp)
        if arguments.text:
            return texts(arguments.text)
        return check(arguments.folder)
    except (CheckError, OSError, subprocess.TimeoutExpired) as error:
        print(f"check_pages: {error}", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main())
