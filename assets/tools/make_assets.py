#!/usr/bin/python3
"""Regenerates every built-in picture and tune of Vantoria, then checks the results.

    /usr/bin/python3 assets/tools/make_assets.py [OUTPUT_DIR]

OUTPUT_DIR defaults to the assets folder this script lives in. Needs python3-pil,
python3-numpy and lame; the check also builds a small SDL2_mixer program when gcc and
libsdl2-mixer-dev are present.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, HERE)

import backgrounds  # noqa: E402
import check_assets  # noqa: E402
import examples  # noqa: E402
import music  # noqa: E402
import pictures  # noqa: E402
import sounds  # noqa: E402
import workbook  # noqa: E402


def main():
    out = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(HERE))
    for step, mod in (("backgrounds", backgrounds), ("prize pictures, icon, banner", pictures),
                      ("import examples", examples), ("example workbook", workbook),
                      ("music", music), ("stop sound", sounds)):
        print(f"making {step} ...", flush=True)
        mod.build(out)
    return check_assets.check(out)


if __name__ == "__main__":
    sys.exit(main())
