"""A short run of the random-input soak (tools/soak.py) with a fixed seed: random clicks, keys and
posted messages leave the program alive and answering, no dialog of ours inside another, and the
store and the macro files whole."""
import subprocess
import sys
from pathlib import Path

import harness as h

SOAK = Path(__file__).resolve().parents[2] / "tools" / "soak.py"


def test_a_short_soak_breaks_nothing():
    h.fresh_user_files()
    out = subprocess.run([sys.executable, str(SOAK), "--seed", "11", "--actions", "150"], capture_output=True,
                         text=True, timeout=280)
    print(out.stdout, end="")
    assert out.returncode == 0, out.stdout + out.stderr


if __name__ == "__main__":
    sys.exit(h.run_tests([test_a_short_soak_breaks_nothing]))
