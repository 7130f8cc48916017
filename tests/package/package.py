"""What the package tests share: the folder the first test packs the build into and unpacks
the package in, the commands they run (their output printed, so that ctest's log shows what the
tools said), and failing with a reason."""

import argparse
import glob
import os
import subprocess
import sys


class Failure(Exception):
    """A check of a package test did not hold."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def arguments(*extra):
    """--out FOLDER: where package_build writes the .deb and its unpacked root; `extra` names
    further required options."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    for name in extra:
        parser.add_argument(f"--{name}", required=True)
    return parser.parse_args()


def root(out):
    """The package unpacked (dpkg -x): the files as they land on a system, under usr/."""
    return os.path.join(out, "root")


def deb(out):
    found = glob.glob(os.path.join(out, "tekstowki_*.deb"))
    check(len(found) == 1, f"expected one tekstowki_*.deb in {out}, found {found}")
    return found[0]


def run(args, env=None, cwd=None, timeout=120, show=True):
    """Runs a command and gives (exit status, standard output, standard error), printing both
    unless `show` is false."""
    result = subprocess.run(args, env=env, cwd=cwd, timeout=timeout, stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    output = result.stdout.decode(errors="replace")
    errors = result.stderr.decode(errors="replace")
    if show:
        print(f"$ {' '.join(args)}  (exit {result.returncode})")
        for text in (output, errors):
            if text.strip():
                print(text.rstrip())
    return result.returncode, output, errors


def main(name, test):
    """Runs test() and exits 0 when it passes, 1 with the reason when a check fails."""
    try:
        test()
    except Failure as failure:
        print(f"FAIL {name}: {failure}")
        sys.exit(1)
    print(f"PASS {name}")
