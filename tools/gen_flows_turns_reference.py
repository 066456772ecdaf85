"""Writes tests/python/flows_turns_reference.json: reference values for the turns, reflections,
polars and shock-expansion airfoils of vortalix2_flows, from mpmath at 50 significant digits.

The formulas are the textbook ones, solved here on their own: the weak wave angle by a
bracketed root of the theta-beta-M relation between the Mach angle and the angle of the largest
deflection (itself the zero of d(theta)/d(beta)), the fan's Mach number by a bracketed root of
the Prandtl-Meyer function, and the airfoils' coefficients by summing each face's pressure force
and its moment about the leading edge as vectors. Inputs are float64 values; an input whose
shock would detach is left out (the tests check those NaNs themselves). The polar's wave angles
are taken from the installed package (they are its inputs), with theta and P2/P1 exact there.

    python tools/gen_flows_turns_reference.py      # needs mpmath and vortalix2_flows
"""
import json
from pathlib import Path

import mpmath as mp

mp.mp.dps = 50
OUT = Path(__file__).resolve().parents[1] / "tests" / "python" / "flows_turns_reference.json"
DEG = 180 / mp.pi
RAD = mp.pi / 180


class Gas:
    def __init__(self, ga):
        self.g = mp.mpf(ga)

    def theta(self, M, b):
        g, br = self.g, b * RAD
        t = 2 / mp.tan(br) * (M**2 * mp.sin(br) ** 2 - 1) / (M**2 * (g + mp.cos(2 * br)) + 2)
        return mp.atan(t) * DEG

    def mach_angle(self, M):
        return mp.asin(1 / M) * DEG

    def beta_star(self, M):
        return mp.findroot(lambda b: mp.diff(lambda x: self.theta(M, x), b),
                           (self.mach_angle(M) + mp.mpf("1e-30"), mp.mpf(90) - mp.mpf("1e-30")),
                           solver="anderson")

    def weak_beta(self, M, th):
        """None where the shock detaches."""
        top = self.beta_star(M)
        if th > self.theta(M, top):
            return None
        if th == 0:
            return self.mach_angle(M)
        return mp.findroot(lambda b: self.theta(M, b) - th, (self.mach_angle(M), top),
                           solver="anderson")

    def across(self, M, b):
        """(M2, P2/P1, T2/T1, rho2/rho1, Po2/Po1) behind the shock at wave angle b."""
        g = self.g
        mn2 = (M * mp.sin(b * RAD)) ** 2
        p = 1 + 2 * g / (g + 1) * (mn2 - 1)
        rho = (g + 1) * mn2 / ((g - 1) * mn2 + 2)
        down2 = (mn2 + 2 / (g - 1)) / (2 * g / (g - 1) * mn2 - 1)
        m2 = mp.sqrt(down2) / mp.sin((b - self.theta(M, b)) * RAD)
        po = (rho ** (g / (g - 1))) * ((g + 1) / (2 * g * mn2 - (g - 1))) ** (1 / (g - 1))
        return m2, p, p / rho, rho, po

    def nu(self, M):
        g = self.g
        k = mp.sqrt((g + 1) / (g - 1))
        return (k * mp.atan(mp.sqrt((M**2 - 1) / k**2)) - mp.atan(mp.sqrt(M**2 - 1))) * DEG

    def fan(self, M, dth):
        """State after the fan of -dth > 0 degrees, or None beyond the largest angle."""
        g = self.g
        target = self.nu(M) - dth
        if target >= (mp.sqrt((g + 1) / (g - 1)) - 1) * 90:
            return None
        hi = M
        while self.nu(hi) < target:
            hi *= 2
        m2 = mp.findroot(lambda m: self.nu(m) - target, (M, hi), solver="anderson")
        t = (1 + (g - 1) / 2 * M**2) / (1 + (g - 1) / 2 * m2**2)
        return m2, t ** (g / (g - 1)), t, t ** (1 / (g - 1)), mp.mpf(1)

    def turn(self, M, dth):
        """(Ma2, P2_P1, T2_T1, rho2_rho1, Po2_Po1, beta), or None where there is none."""
        if M < 1:
            return None
        if dth < 0:
            s = self.fan(M, dth)
            return None if s is None else (*s, mp.nan)
        b = self.weak_beta(M, dth)
        if b is None:
            return None
        return (*self.across(M, b), b)

    def reflect(self, M, th):
        b1 = self.weak_beta(M, th)
        if b1 is None:
            return None
        m2, p2, _, _, po2 = self.across(M, b1)
        b2 = self.weak_beta(m2, th)
        if b2 is None:
            return None
        m3, p3, _, _, po3 = self.across(m2, b2)
        return b2 - th, m3, p2 * p3, po2 * po3


def coefficients(gas, M, faces, alpha):
    """cl, cd, cm (about the leading edge, nose up positive) of a body whose faces are
    (start, end, pressure over free stream) in chord coordinates (x downstream along the chord,
    y up), the body's outside on the left of each face walked clockwise."""
    q = gas.g / 2 * M**2
    fx = fy = mz = mp.mpf(0)
    for (x0, y0), (x1, y1), p in faces:
        cp = (p - 1) / q
        dx, dy = x1 - x0, y1 - y0
        nx, ny = -dy, dx                      # outward normal times the face's length
        fx, fy = fx - cp * nx, fy - cp * ny
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        mz += cx * (-cp * ny) - cy * (-cp * nx)
    a = alpha * RAD
    return fy * mp.cos(a) - fx * mp.sin(a), fx * mp.cos(a) + fy * mp.sin(a), -mz


def flat_plate(gas, M, alpha):
    upper, lower = gas.turn(M, -alpha), gas.turn(M, alpha)
    if upper is None or lower is None:
        return None
    faces = [((0, 0), (1, 0), upper[1]), ((1, 0), (0, 0), lower[1])]
    return (*coefficients(gas, M, faces, alpha), upper[1], lower[1])


def diamond(gas, M, t_c, alpha):
    eps = mp.atan(t_c) * DEG
    uf, lf = gas.turn(M, eps - alpha), gas.turn(M, eps + alpha)
    if uf is None or lf is None:
        return None
    ur, lr = gas.turn(uf[0], -2 * eps), gas.turn(lf[0], -2 * eps)
    if ur is None or lr is None:
        return None
    p = [uf[1], uf[1] * ur[1], lf[1], lf[1] * lr[1]]
    h = t_c / 2
    faces = [((0, 0), (0.5, h), p[0]), ((0.5, h), (1, 0), p[1]),
             ((1, 0), (0.5, -h), p[3]), ((0.5, -h), (0, 0), p[2])]
    return (*coefficients(gas, M, faces, alpha), *p)


def num(v):
    return None if mp.isnan(v) else float(v)


def main():
    from vortalix2_flows import oblique_shock as ob

    turns, reflections, plates, diamonds, polars = [], [], [], [], []
    for ga in (1.2, 1.4, 1.67):
        gas = Gas(ga)
        for M in (1.05, 1.5, 2.0, 3.0, 5.0, 10.0):
            for dth in (-60.0, -25.0, -10.0, -1.0, -0.001, 0.001, 1.0, 5.0, 10.0, 20.0, 30.0):
                r = gas.turn(mp.mpf(M), mp.mpf(dth))
                if r is not None:
                    turns.append([ga, M, dth, *map(num, r)])
            for th in (0.5, 2.0, 5.0, 10.0, 15.0, 20.0):
                r = gas.reflect(mp.mpf(M), mp.mpf(th))
                if r is not None:
                    reflections.append([ga, M, th, *map(num, r)])
            for alpha in (-4.0, 0.5, 2.0, 5.0, 10.0):
                r = flat_plate(gas, mp.mpf(M), mp.mpf(alpha))
                if r is not None:
                    plates.append([ga, M, alpha, *map(num, r)])
            for t_c in (0.01, 0.05, 0.1):
                for alpha in (0.0, 1.0, 3.0, 8.0, -2.0):
                    r = diamond(gas, mp.mpf(M), mp.mpf(t_c), mp.mpf(alpha))
                    if r is not None:
                        diamonds.append([ga, M, t_c, alpha, *map(num, r)])
        for M in (1.01, 2.0, 4.0, 20.0):
            p = ob.polar(M, ga, n=41)
            betas = p.beta.tolist()
            polars.append([ga, M, betas, [num(gas.theta(mp.mpf(M), mp.mpf(b))) for b in betas],
                           [num(gas.across(mp.mpf(M), mp.mpf(b))[1]) for b in betas]])
    OUT.write_text(json.dumps({
        "turn": turns, "reflect": reflections, "flat_plate": plates, "diamond": diamonds,
        "polar": polars}, separators=(",", ":")) + "\n")


if __name__ == "__main__":
    main()
