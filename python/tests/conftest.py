"""A registry of the tests' own, and connections to copies of the sample database.

The build says where things are through the environment (python/tests/CMakeLists.txt).
"""
import os
import pathlib
import shutil
import subprocess

import pytest

import talmo

BIN = pathlib.Path(os.environ["TALMO_BIN_DIR"])
SAMPLE_COMPANY = os.environ["TALMO_SAMPLE_COMPANY"]
STOP_NOW = 1  # Disconnect: close the connection at once


@pytest.fixture(scope="session", autouse=True)
def registry(tmp_path_factory):
    """Registers the component, the database client and the test classes, as a user would."""
    path = tmp_path_factory.mktemp("registry") / "registry.ini"
    os.environ["TALMO_REGISTRY"] = str(path)
    subprocess.run([BIN / "talmo-regsvr", "/s", BIN / "libTalmo.so", BIN / "libDbClient.so",
                    os.environ["TALMO_TEST_COMPONENT"]], check=True)


@pytest.fixture
def sample_ini(tmp_path):
    """Talmo.ini of a fresh copy of the sample database."""
    shutil.copyfile(BIN / "sample.db", tmp_path / "sample.db")
    ini = tmp_path / "Talmo.ini"
    ini.write_text(f"[Database]\nLibPath={BIN}\nDatabase={tmp_path / 'sample.db'}\n"
                   f"CompanyName={SAMPLE_COMPANY}\n")
    return ini


@pytest.fixture
def db(sample_ini):
    """A connected Talmo.Database; the connection is closed again afterwards."""
    database = talmo.CreateObject("Talmo.Database")
    database.AutoConnect(str(sample_ini))
    yield database
    database.Disconnect(STOP_NOW)


@pytest.fixture
def echo():
    return talmo.CreateObject("Talmo.TestEcho")
