"""A converging-diverging nozzle solved from its back pressure (see vortalix2_flows.nozzle).

Run:  python examples/nozzle.py --pb 0.7 --plot nozzle.png
"""
from __future__ import annotations

import argparse
import sys

from vortalix2_flows.nozzle import (SHOCK, SUBSONIC, SUPERSONIC, default_nozzle, solve,  # noqa: F401
                                    table)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pb", type=float, default=0.7, help="back pressure ratio Pb/Po1")
    parser.add_argument("--ga", type=float, default=1.4, help="ratio of specific heats")
    parser.add_argument("--stations", type=int, default=81, help="stations along the nozzle")
    parser.add_argument("--plot", default="nozzle.png", help="PNG file to write ('' for none)")
    args = parser.parse_args(argv)
    x, area = default_nozzle(args.stations)
    try:
        flow = solve(x, area, args.pb, args.ga)
    except ValueError as e:
        parser.error(str(e))
    print(f"nozzle A/At = 1 + x^2, x from {x[0]:g} to {x[-1]:g} (Ae/At = {area[-1]:g}), "
          f"ga = {args.ga:g}, Pb/Po1 = {args.pb:g}")
    print(table(flow))
    if args.plot:
        try:
            flow.plot(args.plot)
        except OSError as e:
            parser.error(f"cannot save the plot: {e}")
        print(f"plot saved to {args.plot}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
