"""A converging-diverging nozzle of air (ga = 1.4), from its area distribution.

The flow is choked at the throat: the converging part is subsonic, the diverging part
supersonic, until a normal shock stands where the area ratio is 2.0. Behind it the flow is
subsonic again and, having lost stagnation pressure, has a larger critical area.
"""
import numpy as np

import vortalix2 as vx

ga = 1.4
x = np.linspace(0.0, 1.0, 11)                # station along the nozzle, throat at x = 0.3
area = 1.0 + 4.0 * (x - 0.3) ** 2             # A / A_throat
supersonic = x > 0.3

# Mach number from the area ratio: subsonic branch before the throat, supersonic after.
Ma = np.where(supersonic, vx.Ma_from_A_Acrit(area, ga, True), vx.Ma_from_A_Acrit(area, ga, False))

# A normal shock where A/A* = 2: the flow behind it is subsonic with a new critical area.
A_shock = 2.0
Ma1 = vx.Ma_from_A_Acrit(np.array([A_shock]), ga, True)
Ma2 = vx.Mash_from_Ma(Ma1, ga)
Po2_Po1 = vx.Posh_Po_from_Ma(Ma1, ga)
Acrit2 = A_shock / vx.A_Acrit_from_Ma(Ma2, ga)           # new A*, in throat areas
behind = area > A_shock
behind &= supersonic
Ma = np.where(behind, vx.Ma_from_A_Acrit(area / Acrit2, ga, False), Ma)
Po = np.where(behind, Po2_Po1, 1.0)                    # stagnation pressure, upstream = 1

P_Po1 = Po / vx.Po_P_from_Ma(Ma, ga)
T_To = 1.0 / vx.To_T_from_Ma(Ma, ga)
mass_flow = vx.mcpTo_APo_from_Ma(Ma, ga) * area * Po   # mdot sqrt(cp To)/(A_throat Po1)

print(f"normal shock at A/A_throat = {A_shock}: Ma {Ma1[0]:.4f} -> {Ma2[0]:.4f}, "
      f"Po2/Po1 = {Po2_Po1[0]:.4f}")
print(f"{'x':>5} {'A/At':>7} {'Ma':>8} {'P/Po1':>8} {'T/To':>8} {'mdot':>8}")
for row in zip(x, area, Ma, P_Po1, T_To, mass_flow):
    print("{:5.2f} {:7.3f} {:8.4f} {:8.4f} {:8.4f} {:8.4f}".format(*row))

# Round trips: each inversion recovers the Mach number it was given.
check = vx.Ma_from_Po_P(vx.Po_P_from_Ma(Ma, ga), ga)
print(f"largest round-trip error of Ma from Po/P: {np.max(np.abs(check - Ma)):.1e}")
