#!/usr/bin/env python3
"""velkorctl.exe under Wine with the simulated keyboard, once through the demo program folder's
simulated Lodrex.dll and once through the hidtest folder's shipped Lodrex.dll over the simulated
system HID layer: the reports an apply sends reach the wire log byte for byte, `reports` prints
the same bytes, and the exit status tells no keyboard and a refused report apart. Also measures
how much time an apply spends beyond its fixed pauses."""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

import harness

WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
DIST = os.environ.get("VELKOR_DIST", "")

PROFILE_BYTES = 8856
STORE_SLOTS = 40
MACRO_BYTES = 834

# Offsets of the profile record.
OFF_ID, OFF_NAME, OFF_KEYS = 4, 528, 612
OFF_LEDMODE, OFF_LEDPARAM, OFF_GROUP, OFF_COLORS, OFF_EXTRA = 5796, 5800, 5920, 5928, 8808


def profile(pid, name, mode, group=0, keys=(), led=None, colors=None, extra=b""):
    rec = bytearray(PROFILE_BYTES)
    struct.pack_into("<II", rec, 0, 0xFCFB7794, pid)
    rec[OFF_NAME:OFF_NAME + 2 * len(name)] = name.encode("utf-16-le")
    for slot, btype, code, macro_id, modifier, vk in keys:
        o = OFF_KEYS + 36 * slot
        rec[o:o + 3] = struct.pack("<I", code)[:3]
        rec[o + 3] = btype
        struct.pack_into("<I", rec, o + 24, macro_id)
        rec[o + 28] = modifier
        rec[o + 29] = vk
    struct.pack_into("<I", rec, OFF_LEDMODE, mode)
    if led:
        speed, direct, light, color, random = led
        struct.pack_into("<BBBBII", rec, OFF_LEDPARAM + 12 * mode, speed, direct, light, 0, color, random)
    struct.pack_into("<H", rec, OFF_GROUP, group)
    for (g, pos), value in (colors or {}).items():
        struct.pack_into("<I", rec, OFF_COLORS + 4 * (g * 144 + pos), value)
    rec[OFF_EXTRA:OFF_EXTRA + len(extra)] = extra
    return bytes(rec)


def macro_file(mid, name, loop_mode, loop_count, events, buffer_id=0):
    rec = bytearray(MACRO_BYTES)
    struct.pack_into("<IIIII", rec, 0, 0xFAFB88A0, mid, 0, 1, loop_mode)
    rec[20:20 + 2 * len(name)] = name.encode("utf-16-le")
    struct.pack_into("<IH", rec, 100, buffer_id, loop_count)
    for i, (vk, down, delay) in enumerate(events):
        struct.pack_into("<HHI", rec, 106 + 8 * i, vk, down, delay)
    return bytes(((b >> 2) | (b << 6)) & 0xFF for b in rec)


def layout_positions(cfg_path):
    """Key slot -> matrix position from the [KEY] section (field 8 of K<n>)."""
    positions, in_keys = {}, False
    with open(cfg_path, encoding="utf-8", errors="replace") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                in_keys = line.upper() == "[KEY]"
                continue
            m = re.match(r"K(\d+)\s*=\s*(.*)", line, re.I)
            if in_keys and m:
                fields = m.group(2).split(",")
                if len(fields) >= 8 and int(fields[7]) < 144:
                    positions[len(positions)] = int(fields[7])
    return positions


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\") + "\\"


class VelkorCtlTest(unittest.TestCase):
    FLAVOUR = "demo"

    @classmethod
    def setUpClass(cls):
        if not DIST or not os.path.isfile(os.path.join(DIST, cls.FLAVOUR, "velkorctl.exe")):
            raise unittest.SkipTest(f"VELKOR_DIST has no {cls.FLAVOUR}/velkorctl.exe")
        cls.tmp = tempfile.mkdtemp(prefix="velkorctl-e2e-")
        cls.prog = os.path.join(cls.tmp, "prog")
        shutil.copytree(os.path.join(DIST, cls.FLAVOUR), cls.prog)
        cls.data = os.path.join(cls.tmp, "data")
        os.makedirs(os.path.join(cls.data, "Mac", "Games"))
        cls.wire = os.path.join(cls.tmp, "wire.log")

        pos = layout_positions(os.path.join(cls.prog, "cfg.ini"))
        cls.pos = pos
        # The macro lives in a sub-folder: it must be found although no editor was opened.
        with open(os.path.join(cls.data, "Mac", "Games", "Combo.mck"), "wb") as f:
            f.write(macro_file(0x00ABCD, "Combo", 0, 5, [(0x41, 1, 20), (0x41, 0, 0)]))
        extra = bytes(range(1, 29))
        alpha = profile(0x0A0B0C, "Alpha", 3, group=1,
                        keys=[(0, 2, 0, 0, 0x02, 0x41),    # Shift+A
                              (1, 5, 0, 0x00ABCD, 0, 0),   # the macro
                              (2, 3, 34, 0, 0, 0)],        # play/pause
                        led=(4, 1, 3, 5, 0),
                        colors={(1, pos[0]): 0x0000FF, (1, pos[1]): 0xFFFFFF, (1, 100): 0x00FF00,
                                (0, 5): 0xFF0000},
                        extra=extra)
        beta = profile(0x000101, "Beta", 2, keys=[(3, 2, 0, 0, 0, 0x42)], led=(1, 0, 2, 0, 1))
        store = alpha + beta + bytes(PROFILE_BYTES * (STORE_SLOTS - 2))
        with open(os.path.join(cls.data, "pro.dct"), "wb") as f:
            f.write(store)
        with open(os.path.join(cls.data, "curid.dct"), "wb") as f:
            f.write(struct.pack("<I", 0x0A0B0C))

        # What the keyboard must receive for Alpha with flags 7.
        led = bytes([3, 6, 4, 3, 1]) + bytes(8) + extra
        colour = bytearray(145)
        colour[0] = 2
        colour[1 + pos[0]], colour[1 + pos[1]], colour[1 + 100] = 4, 7, 2
        bank = bytearray(960)
        bank[0:6] = bytes([0x02, 0x00, 0x04, 0x80, 0x00, 0x04])
        words = [0] * 144
        words[pos[0]] = 0x00040200
        words[pos[1]] = 0x05010002   # buffer 1, play 5 times
        words[pos[2]] = 0xCD000001
        if words[81] != words[86]:
            if words[86]:
                words[81] = words[86]
            else:
                words[86] = words[81]
        matrix = b"".join(struct.pack("<I", w) for w in words)
        cls.expected = [(10, bytes([10]) + led), (11, bytes([11]) + bytes(colour)),
                        (12, bytes([12]) + bytes(bank)), (9, bytes([9]) + matrix)]

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def run_ctl(self, *args, data=None, prog=None, **sim_env):
        env = harness.folder_env(prog or self.prog, harness.wine_env())
        for name in ("LODREX_SIM_COUNT", "LODREX_SIM_FAIL", "LODREX_SIM_PRODUCT", "LODREX_SIM_BUSY", "LODREX_SIM_UNPLUG"):
            env.pop(name, None)
        env["LODREX_SIM_LOG"] = "Z:" + self.wire.replace("/", "\\")
        env.update({k: str(v) for k, v in sim_env.items()})
        if os.path.exists(self.wire):
            os.remove(self.wire)
        p = subprocess.run([WINE, os.path.join(prog or self.prog, "velkorctl.exe")] + list(args)
                           + ["--appdata", win_path(data or self.data)],
                           env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=120)
        return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")

    def wire_lines(self):
        lines = []
        if os.path.exists(self.wire):
            with open(self.wire) as f:
                for line in f:
                    m = re.fullmatch(r"t=(\d+) col=(\d+) len=(\d+) (ok|fail) ([0-9a-f]*)", line.strip())
                    self.assertIsNotNone(m, line)
                    lines.append((int(m.group(1)), int(m.group(2)), int(m.group(3)), m.group(4),
                                  bytes.fromhex(m.group(5))))
        return lines

    def test_apply_sends_exactly_the_expected_reports(self):
        code, out, err = self.run_ctl("apply")
        self.assertEqual(code, 0, err)
        wire = self.wire_lines()
        self.assertEqual([(l[3], l[4]) for l in wire], [("ok", r) for _, r in self.expected])
        self.assertEqual([l[1] for l in wire], [42, 146, 961, 577])

        # Fixed pauses of a flags-7 apply without a progress window: 50 ms after the lighting
        # report, 60 ms after the colour report; the rest is overhead.
        elapsed = wire[-1][0] - wire[0][0]
        overhead = elapsed - 110
        print(f"\napply: {elapsed} ms from first to last report, {overhead} ms beyond the pauses",
              file=sys.stderr)
        self.assertGreaterEqual(elapsed, 110)
        self.assertLess(overhead, 100)

    def test_reports_prints_the_same_bytes_without_a_device(self):
        code, out, err = self.run_ctl("reports", LODREX_SIM_COUNT=0)
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines(), [f"{c} {r.hex()}" for c, r in self.expected])
        self.assertEqual(self.wire_lines(), [])

        code, out, err = self.run_ctl("reports", "--profile", "0x101", "--flags", "2")
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines(), ["10 0a02000102" + "00" * 37])

    def test_list_shows_the_store_with_the_current_profile(self):
        code, out, err = self.run_ctl("list")
        self.assertEqual(code, 0, err)
        self.assertEqual(out.splitlines(), ["1*\t0x0A0B0C\tAlpha", "2\t0x000101\tBeta"])

    def test_no_keyboard_exits_with_two(self):
        code, out, err = self.run_ctl("apply", LODREX_SIM_COUNT=0)
        self.assertEqual(code, 2)
        self.assertIn("no keyboard", err)
        self.assertEqual(len(err.strip().splitlines()), 1, err)
        self.assertEqual(self.wire_lines(), [])

    def test_refused_report_stops_the_apply_with_one(self):
        code, out, err = self.run_ctl("apply", LODREX_SIM_FAIL="11:*")
        self.assertEqual(code, 1)
        self.assertIn("did not take the settings", err)
        wire = self.wire_lines()
        self.assertEqual([(l[4][0], l[3]) for l in wire], [(10, "ok"), (11, "fail"), (11, "fail"), (11, "fail")])
        # Three attempts 200 ms apart.
        self.assertGreaterEqual(wire[3][0] - wire[1][0], 400)

    def test_report_failing_twice_is_retried_and_succeeds(self):
        code, out, err = self.run_ctl("apply", "--flags", "2", LODREX_SIM_FAIL="10:2")
        self.assertEqual(code, 0, err)
        wire = self.wire_lines()
        self.assertEqual([l[3] for l in wire], ["fail", "fail", "ok"])
        self.assertEqual(wire[2][4], self.expected[0][1])
        self.assertGreaterEqual(wire[2][0] - wire[0][0], 400)

    def program_copy(self, name, base=None, **options):
        """A copy of the program folder (or of `base`) with cfg.ini options changed."""
        folder = os.path.join(self.tmp, name)
        if not os.path.isdir(folder):
            shutil.copytree(base or self.prog, folder)
        cfg = os.path.join(folder, "cfg.ini")
        with open(cfg, encoding="utf-8", errors="surrogateescape") as f:
            text = f.read()
        for key, value in options.items():
            text, n = re.subn(rf"(?m)^{key}=.*$", f"{key}={value}", text)
            self.assertEqual(n, 1, key)
        with open(cfg, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write(text)
        return folder

    def test_buffer_numbers_saved_in_macro_files_are_not_kept(self):
        # Twenty files that each carry a buffer number, as files written during an apply may:
        # the key's macro must still be encoded, into the first buffer.
        data = os.path.join(self.tmp, "stale")
        os.makedirs(os.path.join(data, "Mac"))
        for i in range(20):
            mid = 0x00ABCD if i == 0 else 0x00E000 + i
            with open(os.path.join(data, "Mac", f"m{i:02}.mck"), "wb") as f:
                f.write(macro_file(mid, f"M{i}", 0, 5, [(0x41, 1, 20), (0x41, 0, 0)], buffer_id=20 - i))
        store = profile(0x0A0B0C, "Alpha", 2, keys=[(1, 5, 0, 0x00ABCD, 0, 0)])
        with open(os.path.join(data, "pro.dct"), "wb") as f:
            f.write(store + bytes(PROFILE_BYTES * (STORE_SLOTS - 1)))
        code, out, err = self.run_ctl("reports", "--flags", "1", data=data)
        self.assertEqual(code, 0, err)
        lines = out.splitlines()
        self.assertEqual([l.split()[0] for l in lines], ["12", "9"])
        bank = bytes.fromhex(lines[0].split()[1])[1:]
        self.assertEqual(bank[0:6], self.expected[2][1][1:7])  # the macro, in buffer 1
        matrix = bytes.fromhex(lines[1].split()[1])[1:]
        word = struct.unpack_from("<I", matrix, 4 * self.pos[1])[0]
        self.assertEqual(word, 0x05010002)

    def test_exported_profile_imported_elsewhere_sends_the_same_reports(self):
        data = os.path.join(self.tmp, "profile-files")
        shutil.rmtree(data, ignore_errors=True)
        shutil.copytree(self.data, data)
        kbp = os.path.join(self.tmp, "alpha.kbp")
        code, out, err = self.run_ctl("export", "--profile", "0A0B0C", "Z:" + kbp.replace("/", "\\"), data=data)
        self.assertEqual(code, 0, err)
        self.assertEqual(os.path.getsize(kbp), 17196)
        code, out, err = self.run_ctl("import", "--profile", "101", "Z:" + kbp.replace("/", "\\"), data=data)
        self.assertEqual(code, 0, err)
        # The macro came along as a new file of the library, under a new identifier.
        self.assertTrue(os.path.isfile(os.path.join(data, "Mac", "Combo.mck")), os.listdir(os.path.join(data, "Mac")))
        code, out, err = self.run_ctl("apply", "--profile", "101", data=data)
        self.assertEqual(code, 0, err)
        self.assertEqual([l[4] for l in self.wire_lines()], [r for _, r in self.expected])

        code, out, err = self.run_ctl("link", "--profile", "101", "C:\\Games\\arena.exe", data=data)
        self.assertEqual(code, 0, err)
        code, out, err = self.run_ctl("list", data=data)
        self.assertEqual(out.splitlines(), ["1*\t0x0A0B0C\tAlpha", "2\t0x000101\tBeta\tarena.exe"])
        self.assertEqual(self.run_ctl("unlink", "--profile", "101", data=data)[0], 0)
        self.assertEqual(self.run_ctl("list", data=data)[1].splitlines()[1], "2\t0x000101\tBeta")
        code, out, err = self.run_ctl("import", "Z:" + os.path.join(self.tmp, "none.kbp").replace("/", "\\"),
                                      data=data)
        self.assertEqual(code, 1)
        self.assertIn("Open profile failed", err)

    def test_failure_message_carries_the_devices_code_even_with_a_log(self):
        prog = self.program_copy("debug2", Debug=2)
        code, out, err = self.run_ctl("apply", "--flags", "2", prog=prog, LODREX_SIM_FAIL="10:*")
        self.assertEqual(code, 1)
        self.assertIn("did not take the settings (err=31)", err)

    def test_every_report_failing_is_a_failure_even_when_going_on(self):
        prog = self.program_copy("gowithnodev", GoWithNoDev=1)
        code, out, err = self.run_ctl("apply", prog=prog, LODREX_SIM_FAIL="*")
        self.assertEqual(code, 1, err)
        self.assertEqual(err.strip().splitlines(), ["velkorctl: every report failed, the keyboard took nothing (err=31)"])
        self.assertEqual({l[3] for l in self.wire_lines()}, {"fail"})

        code, out, err = self.run_ctl("apply", prog=prog, LODREX_SIM_FAIL="11:*")
        self.assertEqual(code, 1, err)
        self.assertIn("1 of 4 reports failed (err=31)", err)

    def test_keyboard_with_another_product_string_is_named(self):
        prog = self.program_copy("matchstr", MatchStr=1)
        code, out, err = self.run_ctl("apply", prog=prog, LODREX_SIM_PRODUCT="Other Board")
        self.assertEqual(code, 2)
        self.assertEqual(len(err.strip().splitlines()), 1, err)
        self.assertIn('calls itself "Other Board", not "Gaming Mouse"', err)
        self.assertNotIn("no keyboard found", err)

    def test_missing_store_lists_the_three_default_profiles(self):
        data = os.path.join(self.tmp, "empty")
        os.makedirs(data, exist_ok=True)
        code, out, err = self.run_ctl("list", data=data)
        self.assertEqual(code, 0, err)
        names = [line.split("\t")[2] for line in out.splitlines()]
        self.assertEqual(names, ["Profile 1", "Profile 2", "Profile 3"])

    def test_injected_failures_are_decimal_and_bad_ones_are_refused_aloud(self):
        code, out, err = self.run_ctl("apply", "--flags", "2", LODREX_SIM_FAIL="010:1")
        self.assertEqual(code, 0, err)
        self.assertEqual([l[3] for l in self.wire_lines()], ["fail", "ok"])

        code, out, err = self.run_ctl("apply", "--flags", "2", LODREX_SIM_FAIL="10:two")
        self.assertEqual(code, 0, err)
        self.assertIn('LODREX_SIM_FAIL item "10:two" refused', err)
        self.assertEqual([l[3] for l in self.wire_lines()], ["ok"])

    def test_bad_arguments_exit_with_two(self):
        code, out, err = self.run_ctl("apply", "--flags", "seven")
        self.assertEqual(code, 2)
        self.assertIn("--flags", err)


class VelkorCtlOverSystemLayerTest(VelkorCtlTest):
    """The same, through the Lodrex.dll users get; and each way of the keyboard being there or not
    reads alike through both libraries."""
    FLAVOUR = "hidtest"

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.demo = os.path.join(cls.tmp, "demo")
        shutil.copytree(os.path.join(DIST, "demo"), cls.demo)

    def both_ways(self, options, args, env):
        """(exit status, stdout, stderr, wire log without its times) through the simulated
        Lodrex.dll and through the shipped one."""
        out = []
        for name, base in (("demo", self.demo), ("hid", self.prog)):
            prog = self.program_copy(f"{name}-{abs(hash(tuple(options.items())))}", base=base, **options)
            code, stdout, stderr = self.run_ctl(*args, prog=prog, **env)
            out.append((code, stdout, stderr, [line[1:] for line in self.wire_lines()]))
        return out

    def test_every_case_reads_alike_through_both_libraries(self):
        cases = [
            ("macros and key colours", {}, ["apply"], {}, 0),
            ("no keyboard", {}, ["apply"], {"LODREX_SIM_COUNT": 0}, 2),
            ("two keyboards", {}, ["apply"], {"LODREX_SIM_COUNT": 2}, 0),
            ("another product string", {"MatchStr": 1}, ["apply"], {"LODREX_SIM_PRODUCT": "Other Board"}, 2),
            ("another product identifier", {}, ["apply"], {"LODREX_SIM_PID": "0x0E25"}, 2),
            ("a collection another program holds", {}, ["apply"], {"LODREX_SIM_BUSY": 11}, 2),
            ("two keyboards, one held", {}, ["apply"], {"LODREX_SIM_COUNT": 2, "LODREX_SIM_BUSY": "1:11"}, 0),
            ("sends failing twice, then taken", {}, ["apply"], {"LODREX_SIM_FAIL": "10:2,12:1"}, 0),
            ("a report refused every time", {}, ["apply"], {"LODREX_SIM_FAIL": "12:*"}, 1),
            ("pulled out in the middle", {}, ["apply"], {"LODREX_SIM_UNPLUG": 2}, 1),
        ]
        for what, options, args, env, status in cases:
            with self.subTest(what):
                sim, hid = self.both_ways(options, args, env)
                self.assertEqual(sim[0], status, sim)
                self.assertEqual(hid, sim)

    def test_keyboard_pulled_out_mid_apply_fails_within_the_retries(self):
        code, out, err = self.run_ctl("apply", LODREX_SIM_UNPLUG=2)
        self.assertEqual(code, 1)
        self.assertIn("did not take the settings (err=1167)", err)
        wire = self.wire_lines()
        self.assertEqual([(l[4][0], l[3]) for l in wire],
                         [(10, "ok"), (11, "ok"), (12, "fail"), (12, "fail"), (12, "fail")])
        # The pauses after lighting and colours, three attempts 200 ms apart, and little else.
        elapsed = wire[-1][0] - wire[0][0]
        self.assertGreaterEqual(elapsed, 110 + 400)
        self.assertLess(elapsed, 110 + 600 + 200)
        # Plugged in again, it takes the next apply.
        code, out, err = self.run_ctl("apply")
        self.assertEqual(code, 0, err)
        self.assertEqual([l[4] for l in self.wire_lines()], [r for _, r in self.expected])


if __name__ == "__main__":
    unittest.main(verbosity=2)
