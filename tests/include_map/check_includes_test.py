#!/usr/bin/python3
"""scripts/check_includes.py on small repositories of its own: what a README line allows (its
folders, single files, the named files of other folders), what it names breaches, and that a
folder line added later needs no change to the check."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(__file__), "..", "..", "scripts", "check_includes.py")

README = """# Project

## For developers

- `core/`: helpers; includes nothing of the project.
- `front/`: the front; includes `core/`, `engine/values.h` and, of `api/` and `other/`, the
  declarations only (`api.h`, `other.h`).
- `engine/`: the engine, whose voices a description includes `api/` words about; includes
  `core/`.
- `api/`: the interface; includes nothing.
- `other/`: another interface; includes nothing.
- `tests/`: the tests.

## Next section
"""


class IncludeMapTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.root = self.folder.name
        self.write("README.md", README)
        for name in ["core/round.h", "engine/values.h", "engine/voice.h", "api/api.h",
                     "api/private.h", "other/other.h"]:
            self.write(name, "#pragma once\n")

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, text):
        path = os.path.join(self.root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as file:
            file.write(text)

    def check(self):
        subprocess.run(["git", "init", "-q", self.root], check=True)
        subprocess.run(["git", "-C", self.root, "add", "-A"], check=True)
        run = subprocess.run([sys.executable, CHECK, self.root], capture_output=True, text=True)
        return run.returncode, run.stdout

    def test_what_a_line_allows_passes(self):
        self.write("front/front.cpp", '#include "front/front.h"\n#include "core/round.h"\n'
                   '#include "engine/values.h"\n#include "api/api.h"\n#include "other/other.h"\n'
                   '#include <vector>\n#include "generated_version.h"\n')
        self.write("front/front.h", "#pragma once\n")
        self.write("tests/anything.cpp", '#include "engine/voice.h"\n#include "api/private.h"\n')
        code, output = self.check()
        self.assertEqual(code, 0, output)

    def test_each_breach_is_named_with_its_line(self):
        self.write("front/front.cpp", '#include "core/round.h"\n#include "engine/voice.h"\n'
                   '  #  include "api/private.h"\n')
        self.write("core/round.cpp", '#include "core/round.h"\n#include "engine/values.h"\n')
        self.write("engine/voice.cpp", '#include "core/round.h"\n#include "api/api.h"\n')
        code, output = self.check()
        self.assertEqual(code, 1)
        self.assertIn("front/front.cpp:2: includes engine/voice.h", output)
        self.assertIn("front/front.cpp:3: includes api/private.h", output)
        self.assertIn("core/round.cpp:2: includes engine/values.h", output)
        self.assertIn("engine/voice.cpp:2: includes api/api.h", output)  # only the last clause
        self.assertEqual(output.count("includes:"), 4, output)

    def test_a_subfolder_is_a_folder_of_its_own(self):
        self.write("engine/render/mix.h", "#pragma once\n")
        self.write("engine/voice.cpp", '#include "engine/render/mix.h"\n')
        code, output = self.check()
        self.assertEqual(code, 1)
        self.assertIn("folder `engine/render/` has no line", output)
        self.assertIn("engine/voice.cpp:1: includes engine/render/mix.h", output)

    def test_a_line_added_later_is_read_like_the_others(self):
        self.write("README.md", README.replace(
            "- `tests/`", "- `host/`: the hosts; includes `core/` and `api/`.\n- `tests/`"))
        self.write("host/host.cpp", '#include "api/private.h"\n#include "core/round.h"\n')
        code, output = self.check()
        self.assertEqual(code, 0, output)

    def test_a_line_naming_what_does_not_exist_fails(self):
        self.write("README.md", README.replace("`engine/values.h`", "`engine/gone.h`"))
        code, output = self.check()
        self.assertEqual(code, 1)
        self.assertIn("`engine/gone.h` does not exist", output)


if __name__ == "__main__":
    unittest.main()
