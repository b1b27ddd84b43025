"""The text table under Wine: a translator's text.xml in UTF-16BE, or in a code page of its
language, names the window and the log."""
import os
import sys

import harness as h
from test_startup import write_skin

TITLE = "Keys & <Lights>"
VERSION = "V2.0 <beta> \u00e9"


def test_utf16be_text_file_with_entities_and_cdata():
    h.fresh_user_files()
    folder = h.ProgramFolder("text-utf16be")
    folder.set_option("Debug", "2")
    xml = ("<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<config>\r\n"
           "  <tc_title>Keys &amp; <![CDATA[<Lights>]]></tc_title>\r\n"
           "  <tc_version>V2&#46;0 &lt;beta&gt; &eacute;</tc_version>\r\n"
           "  <tc_mutex>VELKOR_TEXT_TEST</tc_mutex>\r\n</config>\r\n")
    folder.file("text.xml").write_bytes(b"\xfe\xff" + xml.encode("utf-16-be"))
    write_skin(folder, TITLE)
    h.run_until_closed(folder, TITLE)
    entries = h.log_entries()
    launch = [e for e in entries if e.startswith("Launch ")]
    # The log is written in the ANSI code page, where e-acute is one byte.
    assert launch and launch[0].endswith(", App Ver=" + VERSION), entries


def test_gb2312_text_file_names_the_window():
    # Wine hands the probe its title argument in the locale's character set.
    os.environ.setdefault("LC_ALL", "C.UTF-8")
    h.fresh_user_files()
    folder = h.ProgramFolder("text-gb2312")
    title = "\u952e\u76d8\u9a71\u52a8\u7a0b\u5e8f"  # "keyboard driver program" in Chinese
    xml = ("<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<config>\r\n"
           f"  <tc_title>{title}</tc_title>\r\n"
           "  <tc_mutex>VELKOR_GB2312_TEST</tc_mutex>\r\n</config>\r\n")
    folder.file("text.xml").write_bytes(xml.encode("gb2312"))
    write_skin(folder, title)
    h.run_until_closed(folder, title)


if __name__ == "__main__":
    sys.exit(h.run_tests([test_utf16be_text_file_with_entities_and_cdata,
                          test_gb2312_text_file_names_the_window]))
