#!/usr/bin/env python3
"""The archive's pages audited as a web author would: served over loopback,
each page named is run through Lighthouse (accessibility, best practices and
SEO must each score 100) and pa11y with its axe and HTML_CodeSniffer runners
(no issue). No page may ask the server for a file that is not
there (a missing /favicon.ico costs points), and the icon a page carries
inline must be an SVG picture.

usage: audit_pages.py FOLDER PAGE...   (PAGE: a file of FOLDER, e.g. index.html)
needs: Debian's chromium; npm's lighthouse 12 and pa11y 9 on the PATH (.ci/run
installs them). Exits 1 naming each fault, else prints each page's scores.
"""

import base64
import functools
import http.server
import json
import os
import re
import subprocess
import sys
import tempfile
import threading
import xml.etree.ElementTree as ElementTree

CHROMIUM = "/usr/bin/chromium"
# Root has no sandbox; no traffic leaves the machine.
CHROMIUM_FLAGS = ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-extensions", "--disable-dev-shm-usage", "--mute-audio"]
CATEGORIES = ["accessibility", "best-practices", "seo"]


class Server:
    """FOLDER over http://127.0.0.1:PORT/, noting every request's path and status."""

    def __init__(self, folder):
        self.requests = []
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_request(self, code="-", size="-"):
                server.requests.append((self.path, int(code) if str(code).isdigit() else 0))

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                                     functools.partial(Handler, directory=folder))
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()
        self.base = f"http://127.0.0.1:{self.httpd.server_address[1]}/"

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


def icon_faults(folder, page):
    html = open(os.path.join(folder, page), encoding="utf-8").read()
    icons = re.findall(r'<link rel="icon" href="data:image/svg\+xml;base64,([^"]*)">', html)
    if len(icons) != 1:
        return [f"{page}: {len(icons)} inline SVG icons, not 1"]
    try:
        root = ElementTree.fromstring(base64.b64decode(icons[0], validate=True))
    except (ValueError, ElementTree.ParseError) as error:
        return [f"{page}: the icon is no SVG picture: {error}"]
    if root.tag != "{http://www.w3.org/2000/svg}svg":
        return [f"{page}: the icon's root is {root.tag}"]
    return []


def lighthouse(url, work):
    """The scores (0 to 100) of CATEGORIES, and the audits that cost points."""
    report = os.path.join(work, "lighthouse.json")
    run = subprocess.run(["lighthouse", url, "--quiet", "--output=json", f"--output-path={report}",
                          "--only-categories=" + ",".join(CATEGORIES),
                          "--chrome-flags=" + " ".join(CHROMIUM_FLAGS)],
                         env={**os.environ, "CHROME_PATH": CHROMIUM}, capture_output=True, text=True,
                         timeout=240)
    if run.returncode != 0 or not os.path.exists(report):
        raise RuntimeError(f"lighthouse {url}: status {run.returncode}: {run.stderr[-2000:]}")
    result = json.load(open(report))
    scores, lost = {}, []
    for name in CATEGORIES:
        category = result["categories"][name]
        scores[name] = round((category["score"] or 0) * 100)
        for ref in category["auditRefs"]:
            audit = result["audits"][ref["id"]]
            if ref["weight"] > 0 and audit["score"] is not None and audit["score"] < 1:
                lost.append(f"{name}: {ref['id']} ({audit['title']})")
    return scores, lost


def pa11y(url, work):
    """Every issue that pa11y's axe and htmlcs runners find, at pa11y's own level (errors)."""
    config = os.path.join(work, "pa11y.json")
    json.dump({"chromeLaunchConfig": {"executablePath": CHROMIUM, "args": CHROMIUM_FLAGS}}, open(config, "w"))
    run = subprocess.run(["pa11y", "--config", config, "--runner", "axe", "--runner", "htmlcs",
                          "--reporter", "json", url],
                         capture_output=True, text=True, timeout=240)
    # 0: no issue; 2: issues found, listed as JSON.
    if run.returncode not in (0, 2):
        raise RuntimeError(f"pa11y {url}: status {run.returncode}: {run.stdout[-1000:]} {run.stderr[-2000:]}")
    issues = json.loads(run.stdout or "[]")
    return [f"{issue['runner']} {issue['type']} {issue['code']}: {issue['message']} ({issue['selector']})"
            for issue in issues]


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    folder, pages = sys.argv[1], sys.argv[2:]
    faults = []
    server = Server(folder)
    try:
        with tempfile.TemporaryDirectory(prefix="plotmuf-audit-") as work:
            for page in pages:
                faults += icon_faults(folder, page)
                url = server.base + page
                scores, lost = lighthouse(url, work)
                print(f"{page}: Lighthouse " + ", ".join(f"{name} {score}" for name, score in scores.items()))
                faults += [f"{page}: {name} scores {score}" for name, score in scores.items() if score != 100]
                faults += [f"{page}: {audit}" for audit in lost]
                issues = pa11y(url, work)
                print(f"{page}: pa11y (axe, htmlcs): {len(issues)} issues")
                faults += [f"{page}: pa11y: {issue}" for issue in issues]
    except (RuntimeError, subprocess.TimeoutExpired, OSError, ValueError, KeyError) as error:
        faults.append(str(error))
    finally:
        server.close()
    # Lighthouse asks for robots.txt on its own; any other file a page asked
    # for must be there.
    missing = sorted({path for path, code in server.requests if code >= 400 and path != "/robots.txt"})
    faults += [f"asked for {path}, which is not there" for path in missing]
    for fault in faults:
        print("FAULT: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
