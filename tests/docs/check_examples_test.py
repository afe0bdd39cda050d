#!/usr/bin/env python3
"""tests/docs/check_examples.py on copies of the repository's README and
example station: it passes the README as it is, and fails a README with one
line of its CSV sample, one quoted page description, one row of its tables
of the station's files or the sentence on its forecast sample changed by a
single character, or two lines of the sample swapped, naming the README's
line.

usage: tests/docs/check_examples_test.py PLOTMUF
"""

import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = pathlib.Path(__file__).parent
CHECKER = HERE / "check_examples.py"
ROOT = (HERE / ".." / "..").resolve()
sys.path.insert(0, str(HERE))
import check_examples  # noqa: E402

PLOTMUF = None  # from the command line


def one_character_changed(text):
    """`text` with its last digit changed (a digit there is in every sample line and description)."""
    at = max(i for i, c in enumerate(text) if c.isdigit())
    return text[:at] + str((int(text[at]) + 1) % 10) + text[at + 1:]


class CheckExamples(unittest.TestCase):
    def setUp(self):
        self.readme = (ROOT / "README.md").read_text(encoding="utf-8")
        self.samples = check_examples.csv_samples(self.readme)
        self.descriptions = check_examples.descriptions(self.readme)
        self.assertTrue(self.samples, "the README shows no CSV sample")
        self.assertTrue(self.descriptions, "the README quotes no page description")

    def check(self, readme):
        with tempfile.TemporaryDirectory(prefix="check_examples_test-") as root:
            shutil.copytree(ROOT / "example", pathlib.Path(root) / "example")
            (pathlib.Path(root) / "README.md").write_text(readme, encoding="utf-8")
            result = subprocess.run([sys.executable, str(CHECKER), PLOTMUF, root], capture_output=True, text=True,
                                    timeout=300)
        return result.returncode, result.stdout + result.stderr

    def test_passes_the_readme_as_it_is(self):
        status, output = self.check(self.readme)
        self.assertEqual(status, 0, output)

    def test_fails_a_sample_line_changed_by_one_character(self):
        lines = self.readme.split("\n")
        start, block = self.samples[0]
        for offset in range(len(block)):
            with self.subTest(line=start + offset):
                changed = list(lines)
                changed[start + offset - 1] = one_character_changed(block[offset])
                status, output = self.check("\n".join(changed))
                self.assertEqual(status, 1, output)
                self.assertIn(f"README.md:{start + offset}: no CSV file of the example holds the line", output)

    def test_fails_a_feed_line_changed_by_one_character(self):
        feeds = check_examples.feed_samples(self.readme)
        self.assertTrue(feeds, "the README shows no sample feed")
        lines = self.readme.split("\n")
        start, block = feeds[0]
        for offset, line in enumerate(block):
            # A number, the words and a chart's name.
            if not line.startswith(('  "mufd"', '  "today"', '  "charts"')):
                continue
            with self.subTest(line=start + offset):
                changed = list(lines)
                changed[start + offset - 1] = one_character_changed(line)
                status, output = self.check("\n".join(changed))
                self.assertEqual(status, 1, output)
                self.assertIn(f"README.md:{start + offset}: the example's feed web/latest.json has not the line", output)

    def test_fails_sample_lines_out_of_order(self):
        lines = self.readme.split("\n")
        start, block = self.samples[0]
        self.assertGreater(len(block), 2)
        lines[start], lines[start + 1] = lines[start + 1], lines[start]
        status, output = self.check("\n".join(lines))
        self.assertEqual(status, 1, output)
        self.assertIn(f"README.md:{start}: no CSV file of the example holds these {len(block)} lines in this order",
                      output)

    def test_fails_a_description_changed_by_one_character(self):
        for number, description in self.descriptions:
            with self.subTest(line=number):
                # The description's last digit, wherever the README's line breaks fall.
                quoted = self.readme.index('"MUF(3000)F2 on', sum(len(line) + 1 for line in
                                                                  self.readme.split("\n")[:number - 1]))
                end = self.readme.index('"', quoted + 1)
                changed = self.readme[:quoted] + one_character_changed(self.readme[quoted:end]) + self.readme[end:]
                status, output = self.check(changed)
                self.assertEqual(status, 1, output)
                self.assertIn(f'README.md:{number}: no page of the example says "', output)

    def test_fails_a_station_file_row_that_says_what_plotmuf_does_not_draw(self):
        # A row's last cell with its last digit changed (a file name's minute, a value drawn), or "no value"
        # said to be 0.0 MHz; and an hour of the sentence on the forecast sample.
        lines = self.readme.split("\n")
        changes = []
        for first in ("first line begins with", "line 4"):
            for number, cells in check_examples.table(self.readme, first)[2]:
                line = lines[number - 1]
                last = line.rindex(cells[-1])
                if any(c.isdigit() for c in cells[-1]):
                    changed = line[:last] + one_character_changed(cells[-1]) + line[last + len(cells[-1]):]
                else:
                    changed = line[:last] + cells[-1].replace("no value", "0.0 MHz", 1) + line[last + len(cells[-1]):]
                self.assertNotEqual(changed, line)
                changes.append((number, changed, number))
        forecast_at = check_examples.forecast_sample(self.readme)[0]
        sentence = next(number for number in range(forecast_at, len(lines) + 1)
                        if lines[number - 1].startswith("gives "))
        while lines[sentence].strip() and any(c.isdigit() for c in lines[sentence]):
            sentence += 1  # the sentence's last line with a digit
        changes.append((sentence, one_character_changed(lines[sentence - 1]), forecast_at))
        for number, changed_line, reported in changes:
            with self.subTest(line=number):
                changed = list(lines)
                changed[number - 1] = changed_line
                status, output = self.check("\n".join(changed))
                self.assertEqual(status, 1, output)
                self.assertIn(f"README.md:{reported}: ", output)

if __name__ == "__main__":
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    PLOTMUF = sys.argv.pop(1)
    unittest.main()
