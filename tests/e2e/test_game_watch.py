"""The game watch under Wine: a profile linked in pro.dct to a running program becomes current,
is written into the simulated keyboard and saved as the current profile; of two linked programs
running, the profile earlier in the list wins."""
import shutil
import subprocess
import sys
import time

import harness as h
import main_window as mw

KEY_TABLE, KEY_BYTES, VK = 612, 36, 29
SLOT_Q, SLOT_W = 38, 39


def start_game(folder, name):
    exe = folder.file(name)
    shutil.copy(h.PROBE, exe)
    return subprocess.Popen([h.WINE, str(exe), "sleep", "120000"], env=h.wine_env(), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def give_keys_functions(profile_slot, key_slots):
    """Gives keys of a stored profile another plain key, so the window marks them."""
    path = mw.appdata() / "pro.dct"
    data = bytearray(path.read_bytes())
    for key in key_slots:
        data[profile_slot * mw.PROFILE_BYTES + KEY_TABLE + key * KEY_BYTES + VK] = 0x5A
    path.write_bytes(bytes(data))


def test_linked_profiles_follow_the_running_programs():
    h.fresh_user_files()
    folder = h.ProgramFolder("game-watch")
    app = mw.start(folder)
    games = []
    try:
        mw.click_child(mw.APPLY)
        h.wait_until(lambda: (mw.appdata() / "curid.dct").exists(), 30, "the first store")
        assert mw.close(app) == 0
        store = mw.read_store()
        mw.link_programs([None, "GwAlpha", "gwbeta"])
        give_keys_functions(1, [SLOT_Q, SLOT_W])
        assert [link for _, _, link in mw.read_store()] == ["", "GwAlpha", "gwbeta"]

        app = mw.start(folder)
        sent_before = len(mw.sent_commands(folder))
        started = time.monotonic()
        games.append(start_game(folder, "gwbeta_game.exe"))
        h.wait_until(lambda: mw.current_id() == store[2][0], 60, "the third profile to become current")
        print(f"linked profile current {time.monotonic() - started:.1f}s after the program was started")
        assert mw.sent_commands(folder)[sent_before:] == [10, 9]

        # With both running the earlier profile in the list wins.
        games.append(start_game(folder, "gwalpha_game.exe"))
        h.wait_until(lambda: mw.current_id() == store[1][0], 60, "the second profile to become current")
        assert mw.sent_commands(folder)[sent_before:] == [10, 9, 10, 9]
        time.sleep(3)  # two more ticks: the current profile is not sent again
        assert len(mw.sent_commands(folder)) == sent_before + 4
        kb = mw.child(mw.KEYBOARD)
        h.xdotool("mousemove", str(kb["x"] + 310), str(kb["y"] + 115))
        time.sleep(1)
        h.screenshot("main-window-game-watch-marked-keys")
        assert mw.close(app) == 0
    finally:
        for game in games:
            game.kill()
        app.kill()


if __name__ == "__main__":
    sys.exit(h.run_tests([test_linked_profiles_follow_the_running_programs]))
