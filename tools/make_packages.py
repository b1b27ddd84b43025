#!/usr/bin/env python3
"""Makes the two ways a user gets the program from the program folder in build/dist/Velkor:
Velkor-<version>-win64.zip (the folder, to run from anywhere) and Velkor-<version>-setup.exe
(the NSIS setup program of installer/velkor.nsi).

usage: make_packages.py <repository> <program folder> <output folder>"""
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path


def version(repo: Path) -> str:
    text = (repo / "assets" / "text.xml").read_text(encoding="utf-8")
    m = re.search(r"<tc_version>\s*[vV]?([^<\s]+)\s*</tc_version>", text)
    return m.group(1) if m else "0"


def make_zip(folder: Path, out: Path) -> None:
    tmp = out.with_suffix(".zip.tmp")
    with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED) as z:
        for f in sorted(folder.rglob("*")):
            if f.is_file() and f.name != "lodrex-sim.log":
                z.write(f, Path("Velkor") / f.relative_to(folder))
    tmp.replace(out)


def make_setup(repo: Path, folder: Path, out: Path, ver: str) -> None:
    makensis = shutil.which("makensis")
    if not makensis:
        sys.exit("make_packages: makensis not found (Debian package nsis)")
    with tempfile.TemporaryDirectory() as work:
        files_nsh = Path(work) / "files.nsh"
        lines = [f'  Delete "$INSTDIR\\{f.name}"' for f in sorted(folder.iterdir()) if f.is_file()]
        files_nsh.write_text("\n".join(lines) + "\n", encoding="utf-8")
        tmp = out.with_suffix(".exe.tmp")
        subprocess.run(
            [makensis, "-V2", "-INPUTCHARSET", "UTF8", f"-DVERSION={ver}", f"-DSRCDIR={folder}",
             f"-DOUTFILE={tmp}", f"-DFILES_NSH={files_nsh}", str(repo / "installer" / "velkor.nsi")],
            check=True)
        tmp.replace(out)


def main() -> int:
    repo, folder, out_dir = (Path(a).resolve() for a in sys.argv[1:4])
    ver = version(repo)
    out_dir.mkdir(parents=True, exist_ok=True)
    make_zip(folder, out_dir / f"Velkor-{ver}-win64.zip")
    make_setup(repo, folder, out_dir / f"Velkor-{ver}-setup.exe", ver)
    print(f"make_packages: Velkor-{ver}-win64.zip and Velkor-{ver}-setup.exe in {out_dir}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
