#!/usr/bin/env python3
"""velkorctl's macro commands under Wine, where the system's own file names apply: each command's
main path on a small library, names a user may type that the library must refuse (exit 1, the
notice on stderr, not a byte of the data folder changed), and failures that are told."""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import harness
from test_velkorctl import macro_file, MACRO_BYTES

WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
DIST = os.environ.get("VELKOR_DIST", "")


def zpath(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def snapshot(folder):
    """Every folder and file below `folder`, with the files' bytes."""
    shot = {}
    for root, dirs, files in os.walk(folder):
        rel = os.path.relpath(root, folder)
        shot[rel + "/"] = None
        for name in files:
            with open(os.path.join(root, name), "rb") as f:
                shot[os.path.join(rel, name)] = f.read()
    return shot


def decode(path):
    with open(path, "rb") as f:
        data = f.read()
    rec = bytes(((b << 2) | (b >> 6)) & 0xFF for b in data[:MACRO_BYTES])
    magic, mid = struct.unpack_from("<II", rec, 0)
    name = rec[20:100].decode("utf-16-le").split("\0")[0]
    return magic, mid, name


class VelkorCtlMacrosTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not DIST or not os.path.isfile(os.path.join(DIST, "demo", "velkorctl.exe")):
            raise unittest.SkipTest("VELKOR_DIST has no demo/velkorctl.exe")
        cls.tmp = tempfile.mkdtemp(prefix="velkorctl-macros-e2e-")
        cls.prog = os.path.join(cls.tmp, "prog")
        shutil.copytree(os.path.join(DIST, "demo"), cls.prog)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def setUp(self):
        # A library as a user has it: a macro at the top, a folder with one, a macro with a
        # name beyond A-Z; beside it the profile files, which no macro command may touch.
        self.data = os.path.join(self.tmp, "data")
        shutil.rmtree(self.data, ignore_errors=True)
        self.mac = os.path.join(self.data, "Mac")
        os.makedirs(os.path.join(self.mac, "Games"))
        self.write(os.path.join(self.mac, "Fire.mck"), 0x000101, "Fire", [(0x41, 1, 20), (0x41, 0, 0)])
        self.write(os.path.join(self.mac, "Games", "Combo.mck"), 0x000102, "Combo", [(0x42, 1, 0)])
        self.write(os.path.join(self.mac, "Äpfel.mck"), 0x000103, "Äpfel", [])
        os.makedirs(os.path.join(self.mac, "Ärger"))
        for name, data in (("pro.dct", bytes(range(256)) * 4), ("curid.dct", b"\x01\x01\x00\x00")):
            with open(os.path.join(self.data, name), "wb") as f:
                f.write(data)

    @staticmethod
    def write(path, mid, name, events):
        with open(path, "wb") as f:
            f.write(macro_file(mid, name, 0, 1, events))

    def run_ctl(self, *args):
        p = subprocess.run([WINE, os.path.join(self.prog, "velkorctl.exe"), "--appdata", zpath(self.data) + "\\"]
                           + list(args), env=harness.wine_env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=120)
        return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")

    def listing(self):
        code, out, err = self.run_ctl("macros")
        self.assertEqual(code, 0, err)
        return sorted(out.splitlines())

    def test_each_command_does_its_work_on_disk(self):
        self.assertEqual(self.listing(), sorted([
            "macro\tFire\t0x000101\t2", "folder\tGames", "macro\tGames\\Combo\t0x000102\t1",
            "macro\tÄpfel\t0x000103\t0", "folder\tÄrger"]))

        code, out, err = self.run_ctl("macro", "mkdir", "Games\\Arena")
        self.assertEqual(code, 0, err)
        self.assertTrue(os.path.isdir(os.path.join(self.mac, "Games", "Arena")))
        code, out, err = self.run_ctl("macro", "new", "games\\arena\\Blast")
        self.assertEqual(code, 0, err)
        magic, mid, name = decode(os.path.join(self.mac, "Games", "Arena", "Blast.mck"))
        self.assertEqual((magic, name), (0xFAFB88A0, "Blast"))
        self.assertIn(f"macro\tGames\\Arena\\Blast\t0x{mid:06X}\t0", self.listing())

        code, out, err = self.run_ctl("macro", "rename", "Games\\Arena", "Ring")
        self.assertEqual(code, 0, err)
        code, out, err = self.run_ctl("macro", "rename", "Fire", "Flame")
        self.assertEqual(code, 0, err)
        self.assertEqual(decode(os.path.join(self.mac, "Flame.mck")), (0xFAFB88A0, 0x000101, "Flame"))
        self.assertFalse(os.path.exists(os.path.join(self.mac, "Fire.mck")))

        source = os.path.join(self.tmp, "Outside.mck")
        self.write(source, 0x000777, "Outside", [(0x43, 1, 0)])
        with open(source, "rb") as f:
            before = f.read()
        code, out, err = self.run_ctl("macro", "import", zpath(source), "Games\\Ring")
        self.assertEqual(code, 0, err)
        magic, mid, name = decode(os.path.join(self.mac, "Games", "Ring", "Outside.mck"))
        self.assertEqual(name, "Outside")
        self.assertNotEqual(mid, 0x000777)
        with open(source, "rb") as f:
            self.assertEqual(f.read(), before)

        exported = os.path.join(self.tmp, "Flame copy.mck")
        code, out, err = self.run_ctl("macro", "export", "Flame", zpath(exported))
        self.assertEqual(code, 0, err)
        with open(exported, "rb") as a, open(os.path.join(self.mac, "Flame.mck"), "rb") as b:
            self.assertEqual(a.read(), b.read())

        code, out, err = self.run_ctl("macro", "delete", "Games")
        self.assertEqual(code, 0, err)
        self.assertFalse(os.path.exists(os.path.join(self.mac, "Games")))
        self.assertEqual(self.listing(), sorted(["macro\tFlame\t0x000101\t2", "macro\tÄpfel\t0x000103\t0",
                                                 "folder\tÄrger"]))

    def assert_refused(self, cases):
        for args in cases:
            with self.subTest(args=args):
                before = snapshot(self.data)
                code, out, err = self.run_ctl(*args)
                self.assertEqual(code, 1, (out, err))
                self.assertTrue(err.startswith("velkorctl: ") and len(err.strip()) > len("velkorctl: "), err)
                self.assertEqual(snapshot(self.data), before)

    def test_names_taken_or_too_long_are_refused(self):
        self.assert_refused([
            ("macro", "new", "FIRE"),
            ("macro", "mkdir", "games"),
            ("macro", "rename", "Fire", "GAMES"),
            ("macro", "new", "n" * 250),
            ("macro", "mkdir", "Games\\" + "d" * 240),
        ])

    # Names the system reads as another file or folder, as a device, or as the same file in
    # another letter case.
    def test_names_the_system_reads_otherwise_are_refused(self):
        self.assert_refused([
            ("macro", "mkdir", ".."),
            ("macro", "mkdir", "."),
            ("macro", "new", ".."),
            ("macro", "mkdir", "CON"),
            ("macro", "new", "CON"),
            ("macro", "new", "con.txt"),
            ("macro", "rename", "Fire", "con"),
            ("macro", "rename", "Games", ".."),
            ("macro", "mkdir", "Games."),
            ("macro", "mkdir", "Mr. "),
            ("macro", "new", "äpfel"),
            ("macro", "mkdir", "ärger"),
            ("macro", "rename", "Fire", "äPFEL"),
        ])

    # Every scan of the library skips such folders: made, they would vanish at the next load.
    def test_folder_names_the_scan_never_enters_are_refused(self):
        self.assert_refused([("macro", "mkdir", ".hidden"), ("macro", "mkdir", "$cache")])

    def test_failures_are_told_and_exit_one(self):
        bad = os.path.join(self.tmp, "bad.mck")
        with open(bad, "wb") as f:
            f.write(bytes(MACRO_BYTES))
        before = snapshot(self.data)
        code, out, err = self.run_ctl("macro", "import", zpath(bad))
        self.assertEqual((code, err.strip()), (1, "velkorctl: This is not a valid macro file."))
        code, out, err = self.run_ctl("macro", "export", "Fire", zpath(os.path.join(self.tmp, "no", "such", "x.mck")))
        self.assertEqual(code, 1)
        self.assertIn("ExportMacro: copy file err=0x3", err)
        self.assertEqual(snapshot(self.data), before)
        code, out, err = self.run_ctl("macro", "delete", "Games\\Nothing")
        self.assertEqual(code, 2)
        self.assertIn('"Games\\Nothing" is no item of the library', err)


if __name__ == "__main__":
    unittest.main(verbosity=2)
