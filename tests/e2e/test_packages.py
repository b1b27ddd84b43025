#!/usr/bin/env python3
"""The two ways a user gets the program: the setup program installs silently into a folder with a
Start-menu entry, the installed program starts, and a silent uninstall removes the program but
keeps the user's profiles and macros; the zip unpacks to a folder that runs."""
import shutil
import subprocess
import sys
import zipfile

import harness as h

WM_CLOSE = 0x0010
HIDTEST_ONLY = {"hid.dll", "setupapi.dll", "wine-dll-overrides.txt"}


def package(suffix):
    found = sorted(h.DIST.glob(f"Velkor-*-{suffix}"))
    assert found, f"no Velkor-*-{suffix} in {h.DIST}"
    return found[-1]


class FolderAt(h.ProgramFolder):
    """A program folder that already exists somewhere (installed or unpacked)."""

    def __init__(self, path):  # pylint: disable=super-init-not-called
        self.path = path


def runs_with_the_simulated_keyboard(folder):
    """Starts Velkor.exe from the folder (its HID library swapped for the simulated keyboard, as
    no keyboard is attached here), waits for the main window and closes it."""
    shutil.copy(h.DIST / "demo" / "Lodrex.dll", folder.file("Lodrex.dll"))
    app = h.Velkor(folder)
    try:
        h.wait_window()
        h.probe("post", h.TITLE, str(WM_CLOSE), "0", "0")
        assert app.wait_exit(30) == 0
    finally:
        app.kill()


def test_silent_install_runs_and_uninstall_keeps_the_data():
    h.fresh_user_files()
    drive_c = h.wine_user_dir().parents[1]
    target = drive_c / "VelkorSetupTest"
    shutil.rmtree(target, ignore_errors=True)
    setup = subprocess.run([h.WINE, str(package("setup.exe")), "/S", "/CurrentUser", "/D=C:\\VelkorSetupTest"],
                           env=h.wine_env(), stdin=subprocess.DEVNULL, capture_output=True, timeout=180)
    assert setup.returncode == 0, setup
    for name in ("Velkor.exe", "velkorctl.exe", "Lodrex.dll", "cfg.ini", "text.xml", "skins/mak.skn",
                 "Uninstall.exe"):
        assert (target / name).exists(), name
    assert not {p.name.lower() for p in target.iterdir()} & HIDTEST_ONLY
    start_menu = h.wine_user_dir() / "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Velkor"
    assert (start_menu / "Velkor.lnk").exists(), list(start_menu.parent.glob("*"))

    runs_with_the_simulated_keyboard(FolderAt(target))
    data = h.local_appdata() / "Velkor"
    assert data.is_dir(), "the program made its data folder"
    (data / "pro.dct").write_bytes(b"user data")

    # The uninstaller copies itself away and returns at once: wait for what it removes.
    subprocess.run([h.WINE, str(target / "Uninstall.exe"), "/S"], env=h.wine_env(), stdin=subprocess.DEVNULL,
                   capture_output=True, timeout=180)
    h.wait_until(lambda: not target.exists() and not start_menu.exists(), 120,
                 "the program folder and the Start-menu entry to go")
    assert (data / "pro.dct").read_bytes() == b"user data"


def test_the_zip_unpacks_to_a_folder_that_runs():
    h.fresh_user_files()
    out = h.BUILD / "e2e-work" / "unzipped"
    shutil.rmtree(out, ignore_errors=True)
    with zipfile.ZipFile(package("win64.zip")) as z:
        # The simulated system HID layer belongs to the hidtest folder only.
        names = {n.rsplit("/", 1)[-1].lower() for n in z.namelist()}
        assert not names & HIDTEST_ONLY, names & HIDTEST_ONLY
        z.extractall(out)
    runs_with_the_simulated_keyboard(FolderAt(out / "Velkor"))


if __name__ == "__main__":
    sys.exit(h.run_tests([test_silent_install_runs_and_uninstall_keeps_the_data,
                          test_the_zip_unpacks_to_a_folder_that_runs]))
