"""Answers the terminal host of a dialog program through a pseudo-terminal."""
import os
import re
import sys
import tempfile

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

    # A notice is drawn before the work it posted itself runs, and a label
    # after a field stays on that field's line.
    child = pexpect.spawn(program, ["notice"], env=env, encoding="utf-8", timeout=10)
    child.expect(r"=== Notice ===\r?\n    Working, please wait\.\.\.\r?\n  -- Period --\r?\n"
                 r"  1  \[ \] Every\r?\n  2  12 hours\r?\n.*working")
    child.expect(PROMPT)
    child.sendline("")
    child.expect("result=1")
    child.expect(pexpect.EOF)

    # Saving over a file that is there asks first; no asks for another name.
    with tempfile.TemporaryDirectory() as folder:
        taken = os.path.join(folder, "report.txt")
        other = os.path.join(folder, "other.txt")
        with open(taken, "w") as f:
            f.write("kept")
        for answer, saved in (("n", other), ("y", taken)):
            child = pexpect.spawn(program, ["save", taken], env=env, encoding="utf-8", timeout=10)
            child.expect(r"Save to file \[")
            child.sendline("")
            child.expect(r"already exists\. Replace it\? \(y\)es or \(n\)o")
            child.sendline(answer)
            if answer == "n":
                child.expect(r"Save to file \[")
                child.sendline(other)
            child.expect("saved=" + re.escape(saved))
            child.expect(pexpect.EOF)


if __name__ == "__main__":
    main(sys.argv[1])
