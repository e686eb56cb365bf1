"""What the programs say about their command lines, in full, before doing any work."""
import subprocess

import pytest

from conftest import BIN


def run(*command, cwd=None):
    return subprocess.run([str(part) for part in command], capture_output=True, text=True,
                          cwd=cwd)


def program(name):
    path = BIN / name
    if not path.exists():
        pytest.skip(f"{name} is not built")
    return path


def test_bench_help_prints_the_usage():
    help = run(program("talmo-bench"), "--help")
    assert (help.returncode, help.stderr) == (0, "")
    assert help.stdout.startswith("usage: talmo-bench [--quick]")
    assert "--memory N" in help.stdout


def test_demo_with_a_missing_ini_file_says_so_before_connecting(tmp_path):
    demo = run(program("TalmoDemo"), "--ini", "Chybí.ini", "--headless", "connect", cwd=tmp_path)
    assert demo.returncode == 2 and demo.stdout == ""
    first_line, usage = demo.stderr.split("\n", 1)
    assert first_line == f"TalmoDemo: --ini: the file {tmp_path / 'Chybí.ini'} does not exist"
    assert usage.startswith("usage: TalmoDemo")
