"""lintian finds no error in the package; its warnings and notes are printed for the log. The
package's own overrides (usr/share/lintian/overrides) say why the two tags it silences do not
apply."""

import os

import package as pkg


def test(args):
    command = ["lintian", "--display-info", "--fail-on", "error"]
    if os.geteuid() == 0:
        command.append("--allow-root")
    code, out, _ = pkg.run(command + [pkg.deb(args.out)], timeout=300)
    errors = [line for line in out.splitlines() if line.startswith("E:")]
    pkg.check(code == 0 and not errors, f"lintian found errors: {errors}")


if __name__ == "__main__":
    arguments = pkg.arguments()
    pkg.main("package_lintian", lambda: test(arguments))
