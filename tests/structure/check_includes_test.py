#!/usr/bin/env python3
"""The include checker on small trees: one sound, and each fault it must name."""

import pathlib
import sys
import tempfile
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import check_includes  # noqa: E402


def tree(files):
    folder = tempfile.TemporaryDirectory()
    root = pathlib.Path(folder.name)
    for name in check_includes.FOLDERS:
        (root / name).mkdir()
    for name, includes in files.items():
        (root / name).write_text("".join(f'#include "{i}"\n' for i in includes), encoding="utf-8")
    return folder


SOUND = {
    "app/form1.h": ["export/chart_files.h", "export/markup.h"],
    "app/date_text.h": [],
    "export/chart_files.cpp": ["export/chart_files.h", "app/date_text.h"],
    "export/markup.cpp": ["export/markup.h"],
    "export/chart_csv.cpp": ["export/chart_csv.h", "export/markup.h", "app/date_text.h"],
    # A test may include the form: tests are left out.
    "export/chart_csv_test.cpp": ["app/form1.h"],
}


class CheckIncludes(unittest.TestCase):
    def faults(self, changes):
        with tree({**SOUND, **changes}) as root:
            return check_includes.faults(pathlib.Path(root))

    def test_a_sound_tree_has_no_fault(self):
        self.assertEqual(self.faults({}), [])

    def test_a_circle_through_a_cpp_is_named(self):
        found = self.faults({"app/date_text.cpp": ["app/date_text.h", "app/form1.h"]})
        self.assertIn("app/date_text includes itself through app/form1", found)
        self.assertIn("export/chart_csv reaches app/form1.h", found)

    def test_a_pure_writer_that_includes_the_form_is_named(self):
        found = self.faults({"export/markup.cpp": ["export/markup.h", "app/form1.h"]})
        self.assertIn("export/markup reaches app/form1.h", found)


if __name__ == "__main__":
    unittest.main()
