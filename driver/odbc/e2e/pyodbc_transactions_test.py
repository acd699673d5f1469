#!/usr/bin/python3
"""The driver as applications meet it: pyodbc through unixODBC's driver
manager, velsrv on a loopback port in front of a SQLite database.

usage: pyodbc_transactions_test.py DRIVER_LIBRARY VELSRV SQLITE_ODBC_DRIVER

Everything (driver registrations, data sources, the database, the
driver's settings) lives in a temporary folder; velsrv is started on an
ephemeral port and stopped at the end.
"""
import datetime
import os
import re
import subprocess
import sys
import tempfile
import unittest

DRIVER, VELSRV, SQLITE_DRIVER = sys.argv[1:4]
del sys.argv[1:4]

WORK = tempfile.TemporaryDirectory(prefix="vel-e2e-")
DATABASE = os.path.join(WORK.name, "e2e.db")


def write(name, text):
    with open(os.path.join(WORK.name, name), "w", encoding="ascii") as f:
        f.write(text)


def start_server():
    write("velsrv.conf",
          "port = 0\n[dsn sqlite]\ndescription = SQLite\nconnect = DSN=e2e_sqlite\n")
    server = subprocess.Popen(
        [VELSRV, "--listen", "127.0.0.1", "--config", os.path.join(WORK.name, "velsrv.conf")],
        stdout=subprocess.PIPE, text=True)
    for line in server.stdout:
        found = re.match(r"velsrv: listening on 127\.0\.0\.1:(\d+)", line)
        if found:
            return server, int(found.group(1))
    server.kill()
    raise RuntimeError("velsrv did not start")


# unixODBC reads its environment once: everything is set before pyodbc loads.
write("odbcinst.ini",
      f"[VelE2E]\nDriver = {DRIVER}\n[SQLiteE2E]\nDriver = {SQLITE_DRIVER}\n")
os.environ["ODBCSYSINI"] = WORK.name
os.environ["ODBCINI"] = os.path.join(WORK.name, "odbc.ini")
os.environ["VELTO_REGISTRY"] = os.path.join(WORK.name, "registry")
SERVER, PORT = start_server()
write("odbc.ini",
      f"[e2e_sqlite]\nDriver = SQLiteE2E\nDatabase = {DATABASE}\n"
      f"[VelE2E]\nDriver = VelE2E\nServerName = 127.0.0.1.{PORT}\nServerDSN = sqlite\n")

import pyodbc  # noqa: E402  (after the environment above)

pyodbc.pooling = False
THROUGH_DRIVER = "DSN=VelE2E;UID=;PWD="
DIRECT = "DSN=e2e_sqlite"

# Statement execution through the driver is not built yet; the tests that
# need it are switched on with VEL_E2E_STATEMENTS=1.
needs_statements = unittest.skipUnless(os.environ.get("VEL_E2E_STATEMENTS") == "1",
                                       "statement execution through the driver")


def rows(sql):
    """Reads with a connection of its own, straight to SQLite."""
    with pyodbc.connect(DIRECT, autocommit=True) as direct:
        return [tuple(r) for r in direct.execute(sql).fetchall()]


class Transactions(unittest.TestCase):
    def setUp(self):
        with pyodbc.connect(DIRECT, autocommit=True) as direct:
            direct.execute("DROP TABLE IF EXISTS items")
            direct.execute("CREATE TABLE items (id INTEGER, name VARCHAR(20))")

    def test_autocommit_off_commit_and_rollback_succeed(self):
        conn = pyodbc.connect(THROUGH_DRIVER, autocommit=False)
        self.assertFalse(conn.autocommit)
        conn.commit()
        conn.rollback()
        conn.autocommit = True
        self.assertTrue(conn.autocommit)
        conn.close()

    @needs_statements
    def test_commit_makes_the_row_visible_to_another_connection(self):
        conn = pyodbc.connect(THROUGH_DRIVER, autocommit=False)
        conn.execute("INSERT INTO items VALUES (1, 'kept')")
        conn.commit()
        conn.close()
        self.assertEqual(rows("SELECT id, name FROM items"), [(1, "kept")])

    @needs_statements
    def test_rollback_leaves_no_row(self):
        conn = pyodbc.connect(THROUGH_DRIVER, autocommit=False)
        conn.execute("INSERT INTO items VALUES (2, 'dropped')")
        conn.rollback()
        conn.close()
        self.assertEqual(rows("SELECT id FROM items"), [])

    @needs_statements
    def test_closing_without_commit_rolls_back(self):
        conn = pyodbc.connect(THROUGH_DRIVER, autocommit=False)
        conn.execute("INSERT INTO items VALUES (3, 'lost')")
        conn.close()
        self.assertEqual(rows("SELECT id FROM items"), [])


class DatesRoundTrip(unittest.TestCase):
    CASES = [
        (datetime.date(2026, 12, 10), datetime.datetime(2026, 12, 10, 15, 30, 0)),
        (datetime.date(2000, 2, 29), datetime.datetime(2000, 2, 29, 23, 59, 59, 999000)),
        (datetime.date(1, 1, 1), datetime.datetime(1970, 1, 1, 0, 0, 0)),
    ]

    def setUp(self):
        with pyodbc.connect(DIRECT, autocommit=True) as direct:
            direct.execute("DROP TABLE IF EXISTS moments")
            direct.execute("CREATE TABLE moments (id INTEGER, d DATE, ts TIMESTAMP)")

    @needs_statements
    def test_dates_and_timestamps_come_back_as_sent(self):
        with pyodbc.connect(THROUGH_DRIVER, autocommit=True) as conn:
            for i, (day, moment) in enumerate(self.CASES):
                conn.execute("INSERT INTO moments VALUES (?, ?, ?)", i, day, moment)
            got = conn.execute("SELECT id, d, ts FROM moments ORDER BY id").fetchall()
        self.assertEqual([(r.d, r.ts) for r in got], self.CASES)

    @needs_statements
    def test_escape_literals_reach_the_database(self):
        with pyodbc.connect(THROUGH_DRIVER, autocommit=True) as conn:
            conn.execute("INSERT INTO moments VALUES (9, {d '2026-12-10'}, "
                         "{ts '2026-12-10 15:30:00'})")
            got = conn.execute("SELECT d, ts FROM moments WHERE id = 9").fetchone()
        self.assertEqual((got.d, got.ts),
                         (datetime.date(2026, 12, 10), datetime.datetime(2026, 12, 10, 15, 30)))


if __name__ == "__main__":
    try:
        result = unittest.main(exit=False).result
    finally:
        SERVER.terminate()
        SERVER.wait()
        WORK.cleanup()
    sys.exit(0 if result.wasSuccessful() else 1)
