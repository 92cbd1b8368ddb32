#!/usr/bin/env python3
"""The Windows DLL check on made-up objdump -p reports: what it lets through
and what it refuses, with the reason it gives."""

import os
import subprocess
import sys
import tempfile
import unittest

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                     "check-windows-dll")

EXPORTS = """The Export Tables (interpreted .edata section contents)

Export Flags 			0
Name 				00059032 paginor.fmx
Ordinal Base 			1
Number in:
	Export Address Table 		{entries:08x}
	[Name Pointer/Ordinal] Table	{count:08x}
Table Addresses
	Export Address Table 		00059028
	Name Pointer Table 		0005902c
	Ordinal Table 			00059030

Export Address Table -- Ordinal Base 1
	[   0] +base[   1] 14b0 Export RVA

[Ordinal/Name Pointer] Table
{names}

"""


def report(exports=("FMExternCallProc",), ordinal_only=0, imports=None):
    """An objdump -p report of a DLL with these exports and imports."""
    if imports is None:
        imports = {"KERNEL32.dll": ["GetLastError"], "USER32.dll": ["LoadStringW"],
                   "fmx.dll": ["FM_Text_Constructor1"]}
    text = "paginor.fmx:     file format pei-i386\n\nThe Data Directory\nEntry 0 00059000\n\n"
    text += "The Import Tables (interpreted .idata section contents)\n"
    for dll, functions in imports.items():
        text += "\n\tDLL Name: %s\n\tvma:  Hint/Ord Member-Name Bound-To\n" % dll
        for hint, function in enumerate(functions):
            text += "\t5a47c\t   %d  %s\n" % (hint, function)
    text += "\n"
    if exports is not None:
        names = "\n".join("\t[%4d] %s" % (i, name) for i, name in enumerate(exports))
        text += EXPORTS.format(entries=len(exports) + ordinal_only, count=len(exports),
                               names=names)
    text += "PE File Base Relocations (interpreted .reloc section contents)\n"
    text += "\nVirtual Address: 00001000 Chunk size 176 (0xb0) Number of fixups 84\n"
    return text


PLUGIN = ["--export", "FMExternCallProc", "--host-library", "fmx.dll"]

# name, report, arguments, expected exit code, texts the output must contain
CASES = [
    ("the plug-in's own shape passes", report(), PLUGIN, 0,
     ["exports: FMExternCallProc", "KERNEL32.dll (1)", "fmx.dll (1)"]),
    ("the host library's name in another case passes",
     report(imports={"FMX.DLL": ["FM_Text_Delete"], "ole32.dll": ["CoCreateInstance"]}),
     PLUGIN, 0, []),
    ("a second export", report(exports=("FMExternCallProc", "DllMain")), PLUGIN, 1,
     ["exports FMExternCallProc, DllMain, expected exactly FMExternCallProc"]),
    ("no export table", report(exports=None), PLUGIN, 1,
     ["exports nothing, expected exactly FMExternCallProc"]),
    ("an export by ordinal only", report(ordinal_only=1), PLUGIN, 1,
     ["2 export entries for 1 names"]),
    ("the C++ runtime as a DLL",
     report(imports={"KERNEL32.dll": ["Sleep"], "libstdc++-6.dll": ["_ZSt9terminatev"]}),
     PLUGIN, 1, ["imports libstdc++-6.dll, which is not a Windows system DLL"]),
    ("the thread library of the posix compiler",
     report(imports={"libwinpthread-1.dll": ["pthread_mutex_lock"]}), PLUGIN, 1,
     ["imports libwinpthread-1.dll"]),
    ("the gcc runtime as a DLL", report(imports={"libgcc_s_dw2-1.dll": ["__udivdi3"]}),
     PLUGIN, 1, ["imports libgcc_s_dw2-1.dll"]),
    ("a call only the stand-in host has",
     report(imports={"fmx.dll": ["FM_Text_Delete", "FMXHost_CallFunction"]}), PLUGIN, 1,
     ["imports FMXHost_CallFunction from the host library fmx.dll"]),
    ("the host library when none is named", report(), ["--export", "FMExternCallProc"], 1,
     ["imports fmx.dll, which is not a Windows system DLL"]),
    ("without --export any exports pass", report(exports=("A", "B")),
     ["--host-library", "fmx.dll"], 0, ["exports 2 names"]),
]


class CheckWindowsDll(unittest.TestCase):
    def test_cases(self):
        for name, text, arguments, expected, needles in CASES:
            with self.subTest(name):
                with tempfile.NamedTemporaryFile("w", suffix=".txt", delete=False) as f:
                    f.write(text)
                try:
                    run = subprocess.run([sys.executable, CHECK, "paginor.fmx",
                                          "--objdump-output", f.name] + arguments,
                                         capture_output=True, text=True)
                finally:
                    os.unlink(f.name)
                output = run.stdout + run.stderr
                self.assertEqual(run.returncode, expected, output)
                for needle in needles:
                    self.assertIn(needle, output)

    def test_an_unreadable_dll_fails(self):
        run = subprocess.run([sys.executable, CHECK, "/nonexistent/paginor.fmx", "--objdump",
                              "/nonexistent/objdump"], capture_output=True, text=True)
        self.assertEqual(run.returncode, 1)
        self.assertIn("cannot read", run.stderr)


if __name__ == "__main__":
    unittest.main()
