#!/usr/bin/python3
"""check_pages.py against a small folder of pages: it passes good pages, and
fails each page that has a fault put in, naming that page and the element.

    /usr/bin/python3 tests/browser/check_pages_test.py
"""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKER = os.path.join(HERE, "check_pages.py")
CHART = os.path.join(HERE, "..", "..", "docs", "example-plotMUF6.gif")  # 286 x 221

# A 1 x 1 GIF.
TINY_GIF = bytes.fromhex("474946383961010001008000000000000000ffffff2c00000000010001000002024401003b")

# A 286 x 221 vector chart.
VECTOR = ('<?xml version="1.0" encoding="UTF-8"?>\n<svg xmlns="http://www.w3.org/2000/svg" width="286" height="221" '
          'viewBox="0 0 286 221"><rect width="286" height="221"/></svg>\n')

# Each page has two charts of its own, NAME-near.gif and NAME-far.gif; the
# far one sits well below the fold, lazy, as the later days of a month page
# do on a phone: it only loads when brought into view. And a vector chart,
# NAME-vector.svg, with the near GIF inside it.
PAGE = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Fixture</title>
<style>
:root{color-scheme:light dark}
body{margin:0;padding:10px;background:#fff;color:#111}
@media (prefers-color-scheme:dark){body{background:#111;color:#eee}}
a{color:inherit}
.far{margin-top:20000px}
</style>
</head>
<body>
<p><a href="index.html">All months</a></p>
<img src="NAME-near.gif" width="286" height="221" loading="lazy" alt="Near">
<object data="NAME-vector.svg" type="image/svg+xml" width="286" height="221" role="img" aria-label="Vector"><img src="NAME-near.gif" width="286" height="221" alt="Vector"></object>
<p class="far"><img src="NAME-far.gif" width="286" height="221" loading="lazy" alt="Far"></p>
</body>
</html>
"""

# (page, the fault: text of the page replaced, or files of the folder
# replaced or removed, what the report must say about that page)
FAULTS = [
    ("missing-far-chart", {"files": {"missing-far-chart-far.gif": None}},
     ['<img src="missing-far-chart-far.gif"', "did not load"]),
    ("wrong-size", {"files": {"wrong-size-near.gif": TINY_GIF}},
     ['<img src="wrong-size-near.gif"', "is 1 x 1, not 286 x 221"]),
    ("not-an-image", {"files": {"not-an-image-far.gif": b"plain text, no image"}},
     ['<img src="not-an-image-far.gif"', "did not load"]),
    ("shown-scaled", {"edit": ("a{color:inherit}", "a{color:inherit}img{width:200px}")},
     ['<img src="shown-scaled-near.gif"', "shown at 200 x 221, not its natural size"]),
    ("missing-vector", {"files": {"missing-vector-vector.svg": None}},
     ['<object data="missing-vector-vector.svg"', "missing-vector-vector.svg does not exist"]),
    ("vector-scaled", {"edit": ("a{color:inherit}", "a{color:inherit}object{width:200px}")},
     ['<object data="vector-scaled-vector.svg"', "shown at 200 x 221, not 286 x 221"]),
    ("vector-alone", {"edit": ('<img src="vector-alone-near.gif" width="286" height="221" alt="Vector">', "")},
     ['<object data="vector-alone-vector.svg"', "no GIF inside it"]),
    ("broken-link", {"edit": ('href="index.html"', 'href="2024-02.html"')},
     ['<a href="2024-02.html">: leads to 2024-02.html, which does not exist']),
    ("link-out", {"edit": ('href="index.html"', 'href="../outside.html"')},
     ['<a href="../outside.html">: leads outside the folder']),
    ("external", {"edit": ("<title>", '<link rel="icon" href="http://127.0.0.1:9/a.png"><title>')},
     ['<link rel="icon" href="http://127.0.0.1:9/a.png">: leads outside the folder']),
    ("script", {"edit": ("</body>", "<script>document.title = 'x';</script></body>")},
     ["<script>: a script"]),
    ("no-doctype", {"edit": ("<!DOCTYPE html>\n", "")},
     ["tidy: line 1 column 1 - Warning: missing <!DOCTYPE> declaration", "html5lib: line 1"]),
    ("stray-end-tag", {"edit": ("</p>\n<img", "</p></div>\n<img")},
     ["tidy: line 16", "html5lib: line 16"]),
    ("bad-loading", {"edit": ('loading="lazy" alt="Near"', 'loading="later" alt="Near"')},
     ['<img src="bad-loading-near.gif"', "invalid loading attribute"]),
    ("no-viewport", {"edit": ('<meta name="viewport" content="width=device-width, initial-scale=1">\n', "")},
     ["360 px phone: laid out 980 px wide (no viewport meta element)"]),
    ("too-wide", {"edit": (".far{", "p{width:500px}.far{")},
     ["360 px phone: laid out 510 px wide (too wide: <p>"]),
    ("light-only", {"edit": ("@media (prefers-color-scheme:dark)", "@media (max-width:1px)")},
     ["dark theme: the page does not follow it"]),
    ("faint-text", {"edit": ("a{color:inherit}", "a{color:#ccc}")},
     ['light theme: <a> "All months": contrast']),
]


def run_checker(folder):
    result = subprocess.run([sys.executable, CHECKER, folder], capture_output=True, text=True, timeout=300)
    return result.returncode, result.stdout + result.stderr


class CheckPages(unittest.TestCase):
    def folder(self, pages):
        """A folder of the good page index.html and `pages`, each with its charts."""
        root = tempfile.mkdtemp(prefix="check_pages_test-")
        self.addCleanup(shutil.rmtree, root)
        open(os.path.join(root, "outside.html"), "w").close()
        folder = os.path.join(root, "archive")
        os.mkdir(folder)
        for name, fault in [("index", {})] + pages:
            text = PAGE.replace("NAME", name)
            if "edit" in fault:
                self.assertIn(fault["edit"][0], text)
                text = text.replace(*fault["edit"])
            with open(os.path.join(folder, name + ".html"), "w") as page:
                page.write(text)
            for chart in (name + "-near.gif", name + "-far.gif"):
                shutil.copy(CHART, os.path.join(folder, chart))
            with open(os.path.join(folder, name + "-vector.svg"), "w") as vector:
                vector.write(VECTOR)
            for chart, content in fault.get("files", {}).items():
                os.remove(os.path.join(folder, chart))
                if content is not None:
                    with open(os.path.join(folder, chart), "wb") as file:
                        file.write(content)
        return folder

    def test_passes_good_pages(self):
        status, output = run_checker(self.folder([("good", {})]))
        self.assertEqual(status, 0, output)
        self.assertIn("checked 2 pages: 6 images, 2 links\n2 passed, 0 failed\n", output)

    def test_fails_each_page_with_a_fault_naming_it_and_the_element(self):
        status, output = run_checker(self.folder([(name, fault) for name, fault, _ in FAULTS]))
        self.assertEqual(status, 1, output)
        self.assertIn(f"1 passed, {len(FAULTS)} failed", output)
        self.assertNotIn("FAIL index.html", output)
        for name, _, expected in FAULTS:
            with self.subTest(name):
                report = "\n".join(line for line in output.splitlines() if line.startswith(f"FAIL {name}.html: "))
                for text in expected:
                    self.assertIn(text, report)

    def test_tells_the_words_shown_from_those_hidden_or_beyond_the_screen(self):
        folder = self.folder([("words", {"edit": ("</body>", "<p>Shown</p><p hidden>Hidden</p>"
                                                  "<p style=\"visibility:hidden\">Invisible</p>"
                                                  "<p style=\"white-space:nowrap;width:max-content\">" + "Wide " * 30 +
                                                  "</p>\n</body>")})])
        result = subprocess.run([sys.executable, CHECKER, "--text", os.path.join(folder, "words.html")],
                                capture_output=True, text=True, timeout=300)
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.splitlines()
        for scale in ("1x", "2x"):
            for width in ("2200px", "360px"):
                self.assertIn(f"{scale} {width} shown: Shown", lines)
                self.assertIn(f"{scale} {width} hidden: Invisible", lines)
                self.assertIn(f"{scale} {width} hidden: Hidden", lines)
            self.assertIn(f"{scale} 2200px shown: " + ("Wide " * 30).strip(), lines)
            self.assertIn(f"{scale} 360px hidden: " + ("Wide " * 30).strip(), lines)


if __name__ == "__main__":
    unittest.main()
