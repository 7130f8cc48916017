"""Packs the build folder into the Debian package with CPack, as `cpack -G DEB` does, into a
fresh output folder, and unpacks it (dpkg -x) beside it for the tests that use it."""

import os
import shutil

import package as pkg


def test(args):
    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    code, _, _ = pkg.run(["cpack", "-G", "DEB", "-B", args.out], cwd=args.build, timeout=300)
    pkg.check(code == 0, "cpack failed")
    deb = pkg.deb(args.out)
    print(f"{os.path.basename(deb)}: {os.path.getsize(deb)} bytes")
    code, _, _ = pkg.run(["dpkg-deb", "-x", deb, pkg.root(args.out)])
    pkg.check(code == 0, "dpkg-deb -x failed")


if __name__ == "__main__":
    arguments = pkg.arguments("build")
    pkg.main("package_build", lambda: test(arguments))
