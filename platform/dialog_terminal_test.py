"""Answers the terminal host of a dialog program through a pseudo-terminal."""
import os
import sys

import pexpect

PROMPT = "Number of a field or button"


def main(program):
    env = dict(os.environ, VELTO_DIALOG_HOST="terminal")
    child = pexpect.spawn(program, env=env, encoding="utf-8", timeout=10)
    child.expect("=== Logon to probe ===")
    child.expect(r"2\)  beta\.1583")
    child.expect(PROMPT)
    child.sendline("1")  # user id
    child.expect(r"New value \[\]")
    child.sendline("alice")
    child.expect(PROMPT)
    child.sendline("2")  # password, not echoed
    child.expect("New value")
    child.sendline("s3cret")
    child.expect(PROMPT)
    assert "s3cret" not in child.before, child.before
    child.sendline("3")  # trace
    child.expect(r"\[x\] Trace")
    child.expect(PROMPT)
    child.sendline("4")  # servers
    child.expect("Line number")
    child.sendline("2")
    child.expect(r"2\)\* beta\.1583")
    child.expect(PROMPT)
    child.sendline("")  # Enter: OK
    child.expect(r"\*\*\* Logon \*\*\*")
    child.expect(r"\(y\)es or \(n\)o")
    child.sendline("y")
    child.expect("user=alice password=s3cret trace=1 server=beta.1583")
    child.expect("result=1")
    child.expect(pexpect.EOF)
    child.close()
    if child.exitstatus != 0:
        sys.exit("the program failed: %r" % child.exitstatus)

    # End of input cancels the dialog.
    child = pexpect.spawn(program, env=env, encoding="utf-8", timeout=10)
    child.expect(PROMPT)
    child.sendeof()
    child.expect("result=2")
    child.expect(pexpect.EOF)


if __name__ == "__main__":
    main(sys.argv[1])
