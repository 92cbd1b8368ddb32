#!/usr/bin/env python3
"""tools/report-skips on made-up ctest JUnit files: the count, the reasons and
the names it prints, and the failure for a skip without a reason."""

import os
import subprocess
import sys
import tempfile
import unittest

REPORT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                      "report-skips")


def case(name, output, skipped):
    marker = '<skipped message="SKIP_REGULAR_EXPRESSION_MATCHED"/>' if skipped else ""
    return (f'<testcase name="{name}" status="{"notrun" if skipped else "run"}">{marker}'
            f'<system-out>{output}</system-out></testcase>')


def skip_output(name, reason_lines):
    reason = "\n".join(reason_lines)
    return (f"[ RUN      ] {name}\n../tests/a_test.cpp:12: Skipped\n{reason}\n"
            f"[  SKIPPED ] {name} (0 ms)\n")


PASSED = case("Suite.Passes", "[ RUN      ] Suite.Passes\n[       OK ] Suite.Passes\n", False)
MOUNT = "cannot mount a tmpfs: Operation not permitted"

# name, test cases, exit code, lines the report must hold
CASES = [
    ("nothing skipped", [PASSED], 0, ["0 of 1 tests skipped (plain)"]),
    ("skips grouped by reason, parameters left out of the name", [
        PASSED,
        case("Disk/Refused.Keeps/Full  # GetParam() = Full", skip_output("Full", [MOUNT]), True),
        case("Disk/Refused.Keeps/ReadOnly", skip_output("ReadOnly", [MOUNT]), True),
        case("Corpus.Opens", skip_output("Corpus.Opens", ["no corpus:", "set PAGINOR_CORPUS"]),
             True),
    ], 0, ["3 of 4 tests skipped (plain)", f"     2  {MOUNT}", "          Disk/Refused.Keeps/Full",
           "     1  no corpus: set PAGINOR_CORPUS"]),
    ("a skip without a reason fails", [
        case("Suite.Silent", skip_output("Suite.Silent", []), True),
    ], 1, ["1 of 1 tests skipped (plain)", "     1  (no reason given)"]),
]


class ReportSkips(unittest.TestCase):
    def test_cases(self):
        for name, cases, code, expected in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as folder:
                junit = os.path.join(folder, "junit.xml")
                with open(junit, "w", encoding="utf-8") as out:
                    out.write('<?xml version="1.0"?><testsuite>' + "".join(cases) +
                              "</testsuite>")
                run = subprocess.run([sys.executable, REPORT, junit, "--label", "plain"],
                                     capture_output=True, text=True, check=False)
                self.assertEqual(run.returncode, code, run.stdout + run.stderr)
                lines = run.stdout.splitlines()
                for line in expected:
                    self.assertIn(line, lines, run.stdout)


if __name__ == "__main__":
    unittest.main()
