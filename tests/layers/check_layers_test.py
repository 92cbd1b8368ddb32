#!/usr/bin/env python3
"""The layer check on small made-up trees: what it lets through and what it
refuses, with the file and line it names."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                     "check-layers")

# Files every tree has, so that includes of them resolve.
BASE = {
    "platform/com/com.h": "",
    "platform/win/win_types.h": "",
    "platform/automation_contract/automation_values.h": "",
    "platform/automation_contract/automation_interfaces.h": '#include "com/com.h"\n',
    "engine/document/engine_document.h": "",
    "engine/automation/com_object.h": '#include "com/com.h"\n',
    "plugin/host/script_functions.h": "",
    "plugin/session/pdf_session.h": '#include "host/script_functions.h"\n',
}

# name, extra files, expected exit code, texts the report must contain
CASES = [
    ("the tree's own pattern passes", {
        "engine/automation/pd_document.cpp": '#include "engine/document/engine_document.h"\n'
                                             '#include "automation_contract/automation_interfaces.h"\n',
        "engine/printing/print_job.h": '#include "automation_contract/automation_values.h"\n',
        "plugin/pages/page_text.cpp": '#include "session/pdf_session.h"\n',
    }, 0, []),
    ("the engine core includes a COM header", {
        "engine/document/page.cpp": '// why\n#include "com/com.h"\n',
    }, 1, ["engine/document/page.cpp:2", "engine/document may not include platform/com"]),
    ("the engine core includes the contract's interfaces", {
        "engine/text/words.cpp": '#include "automation_contract/automation_interfaces.h"\n',
    }, 1, ["engine/text/words.cpp:1"]),
    ("the engine core includes the automation layer", {
        "engine/forms/form.cpp": '#include "engine/automation/com_object.h"\n',
    }, 1, ["engine/forms may not include engine/automation"]),
    ("the plug-in includes the engine", {
        "plugin/pages/insert.cpp": '#include "engine/document/engine_document.h"\n',
    }, 1, ["plugin/pages/insert.cpp:1", "plugin/pages may not include engine/document"]),
    ("the test server includes a plug-in header", {
        "tests/support/scriptable_server/server.cpp": '#include "session/pdf_session.h"\n',
    }, 1, ["tests/support/scriptable_server may not include plugin/session"]),
    ("the engine's tests include a plug-in header", {
        "tests/engine/open_test.cpp": '#include "session/pdf_session.h"\n',
    }, 1, ["tests/engine may not include plugin/session"]),
    ("two plug-in folders include each other", {
        "plugin/host/entry.cpp": '#include "session/pdf_session.h"\n',
    }, 1, ["folder include cycle", "plugin/host -> plugin/session (plugin/host/entry.cpp:1)"]),
    ("an include that names no file", {
        "plugin/forms/fields.cpp": '#include "forms/missing.h"\n',
    }, 1, ['plugin/forms/fields.cpp:1: includes "forms/missing.h"']),
    ("a folder no rule covers", {
        "newpart/thing.cpp": '#include "com/com.h"\n',
    }, 1, ["no layer rule covers newpart"]),
]


class CheckLayers(unittest.TestCase):
    def test_cases(self):
        for name, files, expected, texts in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as root:
                for path, text in {**BASE, **files}.items():
                    os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                    with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                        out.write(text)
                run = subprocess.run([sys.executable, CHECK, "--root", root],
                                     capture_output=True, text=True, check=False)
                self.assertEqual(run.returncode, expected, run.stderr)
                for text in texts:
                    self.assertIn(text, run.stderr)


if __name__ == "__main__":
    unittest.main()
