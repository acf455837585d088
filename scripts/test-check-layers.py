#!/usr/bin/env python3
"""Runs check-layers.py on layers-fixture/, a small tree of breaches of the
include order (and of includes it must let pass), and fails unless the
checker rejects it with exactly the breaches expected.txt lists: a checker
that silently stopped checking one kind of breach fails here.

Usage: test-check-layers.py
"""

import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURE = os.path.join(HERE, "layers-fixture")


def main():
    run = subprocess.run([sys.executable, os.path.join(HERE, "check-layers.py"), FIXTURE],
                         capture_output=True, text=True)
    with open(os.path.join(FIXTURE, "expected.txt"), encoding="utf-8") as f:
        expected = f.read().splitlines()
    reported = run.stdout.splitlines()
    failed = False
    if run.returncode != 1:
        print(f"the checker ended with {run.returncode}, not 1 (a rejected tree)")
        failed = True
    for line in expected:
        if line not in reported:
            print(f"not reported: {line}")
            failed = True
    for line in reported:
        if line not in expected:
            print(f"reported, not expected: {line}")
            failed = True
    if not failed:
        print(f"the fixture tree is rejected with its {len(expected) - 1} breaches")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
