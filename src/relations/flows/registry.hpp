// Every relation of the toolkit, one row each. This file is the toolkit's one list of its
// relations: the code that includes it defines VORTALIX2_RELATION to take what it needs from
// each row (the element loops take the kernel, the extension module the names, parameters and
// docstrings), so nothing else repeats the rows or their order.
//
//   VORTALIX2_RELATION(module, name, parameters, aliases, kernel, docstring)
//
// module      the family module of vortalix2_flows that shows the relation
// name        its public name there (the ufunc's __name__, prefixed with the module where two
//             families share a name)
// parameters  the Python parameters, in order: the values the relation maps, then `ga` (left
//             out where the relation has none), then the branch flag where there is one:
//             "*, sup" a keyword-only flag that must be given (sup=False the root below Ma = 1,
//             True the root above; "sup(WHERE)" names another point of the extremum), or
//             "strong=False" a flag with a default
// aliases     other public names of the same relation, "module.name", separated by spaces; a
//             parenthesised list renames the values, as in "fanno.Ma_from_Po_Postar(Po_Postar)"
// kernel      the relation's struct, built from `ga` and `flag` (the branch flag); one or two
//             values in, one out, for a double and for a vector of lanes
// docstring   formula, domain, units, branch meaning, and where the bits are the core's
//
// Adding a relation takes its struct (src/relations/), one row here, its reference values and
// its tests; nothing else. Then `python tools/gen_stubs.py` rewrites the type stubs (a test
// fails until it has), and the docs page of its family lists it (a test checks the list).
//
// No include guard: every includer expands the rows its own way.

VORTALIX2_RELATION(isentropic, To_T_from_Ma, "Ma, ga", "",
    guarded(rel::ToTFromMa(ga), 0.0),
    "To/T = 1 + (ga - 1)/2 Ma^2, for Ma >= 0 (NaN below). The core's bits, any shape.")

VORTALIX2_RELATION(isentropic, Po_P_from_Ma, "Ma, ga", "",
    guarded(rel::PoPFromMa(ga), 0.0),
    "Po/P = (To/T)^(ga/(ga - 1)), for Ma >= 0 (NaN below). The core's bits, any shape.")

VORTALIX2_RELATION(isentropic, rhoo_rho_from_Ma, "Ma, ga", "",
    guarded(rel::RhooRhoFromMa(ga), 0.0),
    "rhoo/rho = (To/T)^(1/(ga - 1)), for Ma >= 0 (NaN below). The core's bits.")

VORTALIX2_RELATION(isentropic, V_cpTo_from_Ma, "Ma, ga", "",
    guarded_with_limit(rel::VCpToFromMa(ga), 0.0, std::sqrt(2.0)),
    "V/sqrt(cp To) = sqrt(ga - 1) Ma / sqrt(To/T), for Ma >= 0; sqrt(2) at Ma = inf.\n"
    "\n"
    "The core's bits for finite Ma >= 0; NaN below 0.")

VORTALIX2_RELATION(isentropic, mcpTo_APo_from_Ma, "Ma, ga", "",
    guarded_with_limit(rel::McpToAPoFromMa(ga), 0.0, 0.0),
    "mdot sqrt(cp To)/(A Po) = ga/sqrt(ga - 1) Ma (To/T)^(-(ga + 1)/(2 (ga - 1))).\n"
    "\n"
    "For Ma >= 0 (NaN below; 0 at Ma = inf). The core's bits for finite Ma >= 0.")

VORTALIX2_RELATION(isentropic, mcpTo_AP_from_Ma, "Ma, ga", "",
    guarded(rel::McpToAPFromMa(ga), 0.0),
    "mdot sqrt(cp To)/(A P) = ga/sqrt(ga - 1) Ma sqrt(To/T), for Ma >= 0. The core's bits.")

VORTALIX2_RELATION(isentropic, A_Acrit_from_Ma, "Ma, ga", "fanno.Po_Postar_from_Ma",
    guarded_with_limit(rel::AAcritFromMa(ga), 0.0, inf),
    "A/A* = (1/Ma) (2/(ga + 1) To/T)^((ga + 1)/(2 (ga - 1))), for Ma >= 0.\n"
    "\n"
    "+inf at Ma = 0 and Ma = inf, NaN for Ma < 0 (the core gives a number there). The core's\n"
    "bits for finite Ma >= 0.")

VORTALIX2_RELATION(isentropic, F_mcpTo_from_Ma, "Ma, ga", "",
    guarded_with_limit(rel::FMcpToFromMa(ga), 0.0, std::sqrt(2.0)),
    "Impulse function F/(mdot sqrt(cp To)) = sqrt(ga - 1)/ga (1 + ga Ma^2)/(Ma sqrt(To/T)).\n"
    "\n"
    "For Ma >= 0: +inf at Ma = 0, minimum sqrt(2 (ga^2 - 1))/ga at Ma = 1, rising towards\n"
    "sqrt(2) as Ma -> inf (sqrt(2) at Ma = inf). NaN for Ma < 0.")

VORTALIX2_RELATION(isentropic, mu_from_Ma, "Ma", "",
    guarded(fl::MuFromMa(ga), 1.0),
    "Mach angle mu = asin(1/Ma) in degrees, for Ma >= 1 (90 at Ma = 1, 0 at inf; NaN below).\n"
    "\n"
    "Like Ma_from_mu, without ``ga``.")

VORTALIX2_RELATION(isentropic, nu_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::NuFromMa(ga), 1.0, fl::NuFromMa(ga).max_deg),
    "Prandtl-Meyer angle in degrees, for Ma >= 1 (NaN below):\n"
    "\n"
    "nu = sqrt((ga + 1)/(ga - 1)) atan(sqrt((ga - 1)/(ga + 1) (Ma^2 - 1))) - atan(sqrt(Ma^2 - 1)),\n"
    "summed as a series near Ma = 1, where the two terms cancel. At Ma = inf the maximum\n"
    "(sqrt((ga + 1)/(ga - 1)) - 1) 90 degrees.")

VORTALIX2_RELATION(isentropic, Ma_from_Po_P, "Po_P, ga", "",
    guarded(fl::ma_from_po_p(ga), 1.0),
    "Ma from Po/P >= 1 (NaN below), closed form: sqrt(2/(ga - 1) ((Po/P)^((ga - 1)/ga) - 1)).\n"
    "\n"
    "The power less 1 is taken as expm1(((ga - 1)/ga) log1p(Po/P - 1)) near Po/P = 1, where the\n"
    "core's formula cancels, so the result holds 1e-14 relative down to Ma -> 0; its bits are\n"
    "not the core's.")

VORTALIX2_RELATION(isentropic, Ma_from_To_T, "To_T, ga", "",
    guarded(rel::MaFromToT(ga), 1.0),
    "Ma from To/T >= 1 (NaN below), closed form; the core's bits.")

VORTALIX2_RELATION(isentropic, Ma_from_rhoo_rho, "rhoo_rho, ga", "",
    guarded(fl::ma_from_rhoo_rho(ga), 1.0),
    "Ma from rhoo/rho >= 1 (NaN below), closed form: sqrt(2/(ga - 1) ((rhoo/rho)^(ga - 1) - 1)).\n"
    "\n"
    "The power less 1 is taken as expm1((ga - 1) log1p(rhoo/rho - 1)) near rhoo/rho = 1, where\n"
    "the core's formula cancels, so the result holds 1e-14 relative down to Ma -> 0; its bits\n"
    "are not the core's.")

VORTALIX2_RELATION(isentropic, Ma_from_V_cpTo, "V_cpTo, ga", "",
    guarded(rel::MaFromVCpTo(ga), 0.0, 1.4142135623730951, true),
    "Ma from V/sqrt(cp To), 0 <= V/sqrt(cp To) < sqrt(2) (NaN outside); the core's bits.")

VORTALIX2_RELATION(isentropic, Ma_from_mu, "mu", "",
    fl::MaFromMu(ga),
    "Ma = 1/sin(mu) from the Mach angle mu in degrees, 0 <= mu <= 90 (0 gives +inf, 90 gives 1;\n"
    "NaN outside). Like mu_from_Ma, without ``ga``.")

VORTALIX2_RELATION(isentropic, Ma_from_nu, "nu, ga", "",
    fl::MaFromNu(ga),
    "Ma >= 1 from the Prandtl-Meyer angle nu in degrees.\n"
    "\n"
    "0 <= nu <= (sqrt((ga + 1)/(ga - 1)) - 1) 90 (its maximum gives +inf); NaN outside.")

VORTALIX2_RELATION(isentropic, Ma_from_A_Acrit, "A_Acrit, ga, *, sup", "fanno.Ma_from_Po_Postar(Po_Postar)",
    fl::MaFromAAcritBranch(ga, flag),
    "Ma from A/A* >= 1 on the branch ``sup`` picks (NaN below 1).\n"
    "\n"
    "Unlike the core's bisection, this always answers on the requested branch: A/A* = 1 gives 1,\n"
    "+inf gives 0 (subsonic) or +inf (supersonic).")

VORTALIX2_RELATION(isentropic, Ma_from_mcpTo_APo, "mcpTo_APo, ga, *, sup", "",
    fl::MaFromMcpToAPoBranch(ga, flag),
    "Ma from mdot sqrt(cp To)/(A Po) on the branch ``sup`` picks.\n"
    "\n"
    "Domain 0 <= x <= the choking value ga/sqrt(ga - 1) ((ga + 1)/2)^(-(ga + 1)/(2 (ga - 1)))\n"
    "(NaN outside); the choking value gives 1, 0 gives 0 or +inf. Unlike the core's Newton\n"
    "iteration, the root is always on the requested branch and to full precision.")

VORTALIX2_RELATION(isentropic, Ma_from_F_mcpTo, "F_mcpTo, ga, *, sup", "",
    fl::MaFromFMcpToBranch(ga, flag),
    "Ma from the impulse function F/(mdot sqrt(cp To)) on the branch ``sup`` picks.\n"
    "\n"
    "Subsonic: F >= its minimum sqrt(2 (ga^2 - 1))/ga (+inf gives 0). Supersonic: the minimum\n"
    "<= F < sqrt(2). NaN outside. Unlike the core, whose ``sup`` only chooses the Newton start\n"
    "value, the root is always on the requested branch.")

VORTALIX2_RELATION(isentropic, Ma_from_mcpTo_AP, "mcpTo_AP, ga", "",
    fl::MaFromMcpToAPClosed(ga),
    "Ma from mdot sqrt(cp To)/(A P) >= 0 (NaN below), which rises monotonically.\n"
    "\n"
    "Closed form (the root of a quadratic in Ma^2) rather than the core's Newton iteration, so\n"
    "the result is the exact root to rounding, not the core's bits.")

VORTALIX2_RELATION(isentropic, T_Tstar_from_Ma, "Ma, ga", "",
    guarded(fl::FannoTTstarFromMa(ga), 0.0),
    "T/T* = (ga + 1)/(2 + (ga - 1) Ma^2), T* the sonic temperature of the same To; Ma >= 0.")

VORTALIX2_RELATION(isentropic, P_Pstar_from_Ma, "Ma, ga", "",
    guarded(fl::isentropic_p_pstar(ga), 0.0),
    "P/P* = (T/T*)^(ga/(ga - 1)), P* the sonic pressure of the same Po; Ma >= 0.")

VORTALIX2_RELATION(isentropic, rho_rhostar_from_Ma, "Ma, ga", "",
    guarded(fl::isentropic_rho_rhostar(ga), 0.0),
    "rho/rho* = (T/T*)^(1/(ga - 1)), rho* the sonic density of the same rhoo; Ma >= 0.")

VORTALIX2_RELATION(isentropic, Mstar_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::FannoVVstarFromMa(ga), 0.0, std::sqrt((ga + 1.0) / (ga - 1.0))),
    "Characteristic Mach number M* = V/a* = Ma sqrt((ga + 1)/(2 + (ga - 1) Ma^2)), a* the\n"
    "sonic speed of the same To; Ma >= 0, sqrt((ga + 1)/(ga - 1)) at Ma = inf.")

VORTALIX2_RELATION(normal_shock, Mash_from_Ma, "Ma, ga", "normal_shock.Ma2_from_Ma",
    guarded_with_limit(rel::MashFromMa(ga), 1.0, std::sqrt((ga - 1.0) * 0.5 / ga)),
    "Downstream Mach number sqrt((1 + (ga - 1)/2 Ma^2)/(ga Ma^2 - (ga - 1)/2)), Ma >= 1.\n"
    "\n"
    "sqrt((ga - 1)/(2 ga)) at Ma = inf; NaN for Ma < 1 (the core evaluates the formula there).")

VORTALIX2_RELATION(normal_shock, Posh_Po_from_Ma, "Ma, ga", "normal_shock.Po2_Po1_from_Ma",
    guarded(rel::PoshPoFromMa(ga), 1.0),
    "Stagnation-pressure ratio across the shock, Ma >= 1 (NaN below); the core's bits.\n"
    "\n"
    "Posh/Po = [(2 ga Ma^2 - (ga - 1))/(ga + 1)]^(-1/(ga - 1))\n"
    "          [((ga - 1) Ma^2 + 2)/((ga + 1) Ma^2)]^(-ga/(ga - 1)).")

VORTALIX2_RELATION(normal_shock, P2_P1_from_Ma, "Ma, ga", "",
    guarded(fl::P2P1FromMa(ga), 1.0),
    "Static pressure ratio P2/P1 = 1 + 2 ga/(ga + 1) (Ma^2 - 1), Ma >= 1.")

VORTALIX2_RELATION(normal_shock, T2_T1_from_Ma, "Ma, ga", "",
    guarded(fl::T2T1FromMa(ga), 1.0),
    "Static temperature ratio T2/T1 = (P2/P1)/(rho2/rho1), Ma >= 1.")

VORTALIX2_RELATION(normal_shock, rho2_rho1_from_Ma, "Ma, ga", "",
    guarded(fl::Rho2Rho1FromMa(ga), 1.0),
    "Density ratio rho2/rho1 = (ga + 1) Ma^2/((ga - 1) Ma^2 + 2), Ma >= 1.\n"
    "\n"
    "(ga + 1)/(ga - 1) at Ma = inf.")

VORTALIX2_RELATION(normal_shock, Po2_P1_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::Po2P1FromMa(ga), 1.0, inf),
    "Pitot ratio Po2/P1 (stagnation pressure behind the shock over static ahead), Ma >= 1.\n"
    "\n"
    "Po2/P1 = ((ga + 1)/2 Ma^2)^(ga/(ga - 1)) ((ga + 1)/(2 ga Ma^2 - (ga - 1)))^(1/(ga - 1));\n"
    "at Ma = 1 it is the isentropic Po/P there.")

VORTALIX2_RELATION(normal_shock, Ma_from_Mash, "Mash, ga", "normal_shock.Ma_from_Ma2(Ma2)",
    fl::MaFromMashClosed(ga),
    "Upstream Ma from the downstream Mach number, sqrt((ga - 1)/(2 ga)) <= Mash <= 1.\n"
    "\n"
    "The relation is its own inverse (closed form); the lower end gives +inf, NaN outside.\n"
    "Unlike the core's Newton iteration (stopped at steps below 1e-6), this is the root to\n"
    "rounding, so its bits differ from the core's.")

VORTALIX2_RELATION(normal_shock, Ma_from_Posh_Po, "Posh_Po, ga", "normal_shock.Ma_from_Po2_Po1(Po2_Po1)",
    fl::MaFromPoshPoBranch(ga),
    "Upstream Ma >= 1 from Posh/Po, 0 <= Posh/Po <= 1 (1 gives 1, 0 gives +inf).\n"
    "\n"
    "NaN outside: unlike the core, ratios above 1 (where no shock exists) give NaN.")

VORTALIX2_RELATION(normal_shock, Ma_from_P2_P1, "P2_P1, ga", "",
    fl::MaFromP2P1(ga),
    "Upstream Ma = sqrt(1 + (P2/P1 - 1)(ga + 1)/(2 ga)) from P2/P1 >= 1 (NaN below).")

VORTALIX2_RELATION(normal_shock, Ma_from_Po2_P1, "Po2_P1, ga", "",
    fl::MaFromPo2P1(ga),
    "Upstream Ma >= 1 from the pitot ratio Po2/P1 >= its value at Ma = 1 (NaN below).")

VORTALIX2_RELATION(normal_shock, Ma_from_T2_T1, "T2_T1, ga", "",
    fl::MaFromT2T1(ga),
    "Upstream Ma >= 1 from T2/T1 >= 1 (NaN below), closed form (the positive root of a\n"
    "quadratic in Ma^2); +inf gives +inf.")

VORTALIX2_RELATION(normal_shock, Ma_from_rho2_rho1, "rho2_rho1, ga", "",
    fl::MaFromRho2Rho1(ga),
    "Upstream Ma = sqrt(2 x/(2 - (ga - 1)(x - 1))) from x = rho2/rho1, 1 <= x <= (ga + 1)/(ga - 1)\n"
    "(the limit at Ma = inf, which gives +inf); NaN outside.")

VORTALIX2_RELATION(normal_shock, ds_R_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::DsRFromMa(ga), 1.0, inf),
    "Entropy rise across the shock (s2 - s1)/R = -ln(Po2/Po1), Ma >= 1 (NaN below).\n"
    "\n"
    "0 at Ma = 1, +inf at Ma = inf. Evaluated in a form that keeps its relative accuracy near\n"
    "Ma = 1, where it is of order (Ma - 1)^3.")

VORTALIX2_RELATION(oblique_shock, beta_from_Ma_theta, "Ma, theta, ga, strong=False", "",
    fl::BetaFromMaTheta(ga, flag),
    "Wave angle beta (degrees) of the shock that turns a stream of Mach number Ma >= 1\n"
    "through theta degrees, 0 <= theta <= theta_max_from_Ma(Ma).\n"
    "\n"
    "strong=False: the weak shock, from the Mach angle (theta = 0) up to\n"
    "beta_at_theta_max_from_Ma; strong=True: the strong shock, from there up to 90 (theta = 0).\n"
    "NaN above theta_max (the shock detaches), for negative theta and for Ma < 1.")

VORTALIX2_RELATION(oblique_shock, theta_from_Ma_beta, "Ma, beta, ga", "",
    fl::ThetaFromMaBeta(ga),
    "Deflection theta in degrees, tan(theta) = 2 cot(beta) (Ma^2 sin^2(beta) - 1) /\n"
    "(Ma^2 (ga + cos(2 beta)) + 2); beta in degrees, from the Mach angle (theta 0) to 90 (0).")

VORTALIX2_RELATION(oblique_shock, theta_max_from_Ma, "Ma, ga", "",
    fl::ThetaMaxFromMa(ga),
    "The largest deflection (degrees) an attached shock gives at Ma >= 1 (0 at Ma = 1).")

VORTALIX2_RELATION(oblique_shock, beta_at_theta_max_from_Ma, "Ma, ga", "",
    fl::BetaAtThetaMaxFromMa(ga),
    "The wave angle (degrees) of the largest deflection, Ma >= 1 (90 at Ma = 1), from\n"
    "sin^2(beta) = ((ga + 1) Ma^2 - 4 + sqrt((ga + 1)((ga + 1) Ma^4 + 8 (ga - 1) Ma^2 + 16)))\n"
    "/ (4 ga Ma^2).")

VORTALIX2_RELATION(oblique_shock, Mn1_from_Ma_beta, "Ma, beta, ga", "",
    fl::Mn1FromMaBeta(ga),
    "Normal component of the upstream Mach number, Mn1 = Ma sin(beta), beta in degrees.\n"
    "\n"
    "``ga`` only marks the domain (NaN for ga <= 1), as for every toolkit function.")

VORTALIX2_RELATION(oblique_shock, Ma2_from_Ma_beta, "Ma, beta, ga", "",
    fl::Ma2FromMaBeta(ga),
    "Downstream Mach number Ma2 = Mn2/sin(beta - theta), Mn2 the normal shock's downstream\n"
    "Mach number at Mn1 = Ma sin(beta); beta in degrees.")

VORTALIX2_RELATION(oblique_shock, P2_P1_from_Ma_beta, "Ma, beta, ga", "",
    fl::P2P1FromMaBeta(ga),
    "Static pressure ratio, 1 + 2 ga/(ga + 1) (Mn1^2 - 1); beta in degrees.")

VORTALIX2_RELATION(oblique_shock, T2_T1_from_Ma_beta, "Ma, beta, ga", "",
    fl::T2T1FromMaBeta(ga),
    "Static temperature ratio, (P2/P1)/(rho2/rho1) at Mn1; beta in degrees.")

VORTALIX2_RELATION(oblique_shock, rho2_rho1_from_Ma_beta, "Ma, beta, ga", "",
    fl::Rho2Rho1FromMaBeta(ga),
    "Density ratio, (ga + 1) Mn1^2/((ga - 1) Mn1^2 + 2); beta in degrees.")

VORTALIX2_RELATION(oblique_shock, Po2_Po1_from_Ma_beta, "Ma, beta, ga", "",
    fl::Po2Po1FromMaBeta(ga),
    "Stagnation-pressure ratio across the shock: the normal shock's Posh/Po at Mn1; beta in\n"
    "degrees.")

VORTALIX2_RELATION(oblique_shock, beta_from_Ma_Mn1, "Ma, Mn1, ga", "",
    fl::BetaFromMaMn1(ga),
    "Wave angle beta = asin(Mn1/Ma) in degrees of the shock whose upstream normal Mach number is\n"
    "Mn1, 1 <= Mn1 <= Ma < inf (NaN elsewhere).")

VORTALIX2_RELATION(oblique_shock, Ma2_from_Ma_dtheta, "Ma, dtheta, ga", "",
    fl::TurnFromMaDtheta<fl::Turned::ma2>(ga),
    "Mach number after turning a stream of Ma >= 1 through dtheta degrees: through the attached\n"
    "weak oblique shock for dtheta > 0, a Prandtl-Meyer fan for dtheta < 0; Ma at dtheta = 0.\n"
    "\n"
    "NaN where the shock detaches (dtheta > theta_max_from_Ma(Ma)), where the fan would need\n"
    "nu(Ma) - dtheta above the largest Prandtl-Meyer angle, for Ma < 1 and Ma = inf.")

VORTALIX2_RELATION(oblique_shock, P2_P1_from_Ma_dtheta, "Ma, dtheta, ga", "",
    fl::TurnFromMaDtheta<fl::Turned::p>(ga),
    "Static pressure ratio across a turn of dtheta degrees (shock for dtheta > 0, fan below 0,\n"
    "1 at 0); NaN as for Ma2_from_Ma_dtheta.")

VORTALIX2_RELATION(oblique_shock, T2_T1_from_Ma_dtheta, "Ma, dtheta, ga", "",
    fl::TurnFromMaDtheta<fl::Turned::t>(ga),
    "Static temperature ratio across a turn of dtheta degrees (shock for dtheta > 0, fan below\n"
    "0, 1 at 0); NaN as for Ma2_from_Ma_dtheta.")

VORTALIX2_RELATION(oblique_shock, rho2_rho1_from_Ma_dtheta, "Ma, dtheta, ga", "",
    fl::TurnFromMaDtheta<fl::Turned::rho>(ga),
    "Density ratio across a turn of dtheta degrees (shock for dtheta > 0, fan below 0, 1 at 0);\n"
    "NaN as for Ma2_from_Ma_dtheta.")

VORTALIX2_RELATION(oblique_shock, Po2_Po1_from_Ma_dtheta, "Ma, dtheta, ga", "",
    fl::TurnFromMaDtheta<fl::Turned::po>(ga),
    "Stagnation-pressure ratio across a turn of dtheta degrees: the shock's for dtheta > 0,\n"
    "exactly 1 through a fan (dtheta < 0) and at 0; NaN as for Ma2_from_Ma_dtheta.")

VORTALIX2_RELATION(oblique_shock, beta_from_Ma_dtheta, "Ma, dtheta, ga", "",
    fl::TurnFromMaDtheta<fl::Turned::beta>(ga),
    "Wave angle (degrees) of the weak shock of a turn of dtheta > 0 degrees, the Mach angle at\n"
    "dtheta = 0; NaN through a fan (dtheta < 0) and as for Ma2_from_Ma_dtheta.\n"
    "\n"
    "Its NaN through a fan raises the invalid status as any NaN of a ufunc does;\n"
    "oblique_shock.turn raises none for it.")

VORTALIX2_RELATION(oblique_shock, beta_r_from_Ma_theta, "Ma, theta, ga", "",
    fl::ReflectFromMaTheta<fl::Reflected::beta_r>(ga),
    "Regular reflection from a straight wall of the weak shock of a wedge of theta degrees:\n"
    "the reflected shock's angle to the wall, beta(Ma2, theta) - theta, Ma2 behind the first.\n"
    "\n"
    "NaN where theta > theta_max_from_Ma(Ma2): no regular reflection exists there (a Mach\n"
    "reflection stands instead), and as for beta_from_Ma_theta.")

VORTALIX2_RELATION(oblique_shock, Ma3_from_Ma_theta, "Ma, theta, ga", "",
    fl::ReflectFromMaTheta<fl::Reflected::ma3>(ga),
    "Mach number behind the regularly reflected shock of a wedge of theta degrees; NaN as for\n"
    "beta_r_from_Ma_theta.")

VORTALIX2_RELATION(oblique_shock, P3_P1_from_Ma_theta, "Ma, theta, ga", "",
    fl::ReflectFromMaTheta<fl::Reflected::p>(ga),
    "Static pressure behind the regularly reflected shock over that ahead of the incident one,\n"
    "(P2/P1)(P3/P2); NaN as for beta_r_from_Ma_theta.")

VORTALIX2_RELATION(oblique_shock, Po3_Po1_from_Ma_theta, "Ma, theta, ga", "",
    fl::ReflectFromMaTheta<fl::Reflected::po>(ga),
    "Stagnation pressure behind the regularly reflected shock over that ahead of the incident\n"
    "one; NaN as for beta_r_from_Ma_theta.")

VORTALIX2_RELATION(fanno, fLstar_D_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::FLstarDFromMa(ga), 0.0, fl::FannoMaFromFLstarD(ga, true).limit),
    "fLstar_D = f L*/D, the friction length to choking, Ma >= 0.\n"
    "\n"
    "0 at Ma = 1, +inf at Ma = 0, (ga + 1)/(2 ga) ln((ga + 1)/(ga - 1)) - 1/ga at Ma = inf.\n"
    "Evaluated in a form that does not cancel near Ma = 1.\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(fanno, P_Pstar_from_Ma, "Ma, ga", "",
    guarded(fl::FannoPPstarFromMa(ga), 0.0),
    "P/P* = sqrt((ga + 1)/(2 + (ga - 1) Ma^2))/Ma, Ma >= 0.\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(fanno, T_Tstar_from_Ma, "Ma, ga", "",
    guarded(fl::FannoTTstarFromMa(ga), 0.0),
    "T/T* = (ga + 1)/(2 + (ga - 1) Ma^2), Ma >= 0.\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(fanno, rho_rhostar_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::FannoRhoRhostarFromMa(ga), 0.0, std::sqrt((ga - 1.0) / (ga + 1.0))),
    "rho/rho* = sqrt((2 + (ga - 1) Ma^2)/(ga + 1))/Ma, Ma >= 0.\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(fanno, V_Vstar_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::FannoVVstarFromMa(ga), 0.0, std::sqrt((ga + 1.0) / (ga - 1.0))),
    "V/V* = Ma sqrt((ga + 1)/(2 + (ga - 1) Ma^2)), Ma >= 0.\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(fanno, Ma_from_fLstar_D, "fLstar_D, ga, *, sup", "",
    fl::FannoMaFromFLstarD(ga, flag),
    "Ma from fLstar_D = f L*/D >= 0 on the requested branch.\n"
    "\n"
    "Subsonic: every value >= 0 (0 gives 1, +inf gives 0). Supersonic: up to the limit at\n"
    "Ma = inf (which gives +inf); NaN above it.\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(fanno, Ma_from_P_Pstar, "P_Pstar, ga", "",
    fl::FannoMaFromPPstar(ga),
    "Ma from P/P* >= 0 (P/P* falls monotonically; 0 gives +inf, +inf gives 0).\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(fanno, Ma_from_T_Tstar, "T_Tstar, ga", "",
    fl::FannoMaFromTTstar(ga),
    "Ma from 0 <= T/T* <= (ga + 1)/2 (T/T* falls monotonically; 0 gives +inf).\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(fanno, Ma_from_rho_rhostar, "rho_rhostar, ga", "",
    fl::FannoMaFromRhoRhostar(ga),
    "Ma from rho/rho* >= sqrt((ga - 1)/(ga + 1)) (rho/rho* falls monotonically; its lower end,\n"
    "the limit at Ma = inf, gives +inf, +inf gives 0; NaN below). Closed form.\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(fanno, Ma_from_V_Vstar, "V_Vstar, ga", "",
    fl::FannoMaFromVVstar(ga),
    "Ma from 0 <= V/V* <= sqrt((ga + 1)/(ga - 1)) (V/V* rises monotonically; the upper end, the\n"
    "limit at Ma = inf, gives +inf; NaN outside). Closed form.\n"
    "\n"
    "In fLstar_D = f L*/D, f is the Darcy friction factor (4 times the Fanning factor).")

VORTALIX2_RELATION(rayleigh, To_Tostar_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::RayleighToTostarFromMa(ga), 0.0, (ga - 1.0) * (ga + 1.0) / (ga * ga)),
    "To/To* = (ga + 1) Ma^2 (2 + (ga - 1) Ma^2)/(1 + ga Ma^2)^2, Ma >= 0.")

VORTALIX2_RELATION(rayleigh, P_Pstar_from_Ma, "Ma, ga", "",
    guarded(fl::RayleighPPstarFromMa(ga), 0.0),
    "P/P* = (ga + 1)/(1 + ga Ma^2), Ma >= 0.")

VORTALIX2_RELATION(rayleigh, T_Tstar_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::RayleighTTstarFromMa(ga), 0.0, 0.0),
    "T/T* = (Ma (ga + 1)/(1 + ga Ma^2))^2, Ma >= 0.")

VORTALIX2_RELATION(rayleigh, rho_rhostar_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::RayleighRhoRhostarFromMa(ga), 0.0, ga / (ga + 1.0)),
    "rho/rho* = (1 + ga Ma^2)/((ga + 1) Ma^2), Ma >= 0 (+inf at 0).")

VORTALIX2_RELATION(rayleigh, Po_Postar_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::RayleighPoPostarFromMa(ga), 0.0, inf),
    "Po/Po* = (ga + 1)/(1 + ga Ma^2) ((2 + (ga - 1) Ma^2)/(ga + 1))^(ga/(ga - 1)), Ma >= 0.")

VORTALIX2_RELATION(rayleigh, V_Vstar_from_Ma, "Ma, ga", "",
    guarded_with_limit(fl::RayleighVVstarFromMa(ga), 0.0, (ga + 1.0) / ga),
    "V/V* = (ga + 1) Ma^2/(1 + ga Ma^2), Ma >= 0.")

VORTALIX2_RELATION(rayleigh, Ma_from_To_Tostar, "To_Tostar, ga, *, sup", "",
    fl::RayleighMaFromToTostar(ga, flag),
    "Ma from To/To* on the requested side of Ma = 1, in closed form.\n"
    "\n"
    "Subsonic: 0 <= To/To* <= 1; supersonic: (ga^2 - 1)/ga^2 <= To/To* <= 1, the lower end (the\n"
    "limit at Ma = inf) giving +inf. NaN elsewhere.")

VORTALIX2_RELATION(rayleigh, Ma_from_P_Pstar, "P_Pstar, ga", "",
    fl::RayleighMaFromPPstar(ga),
    "Ma = sqrt((ga + 1 - P/P*)/(ga P/P*)) from 0 <= P/P* <= ga + 1 (0 gives +inf).")

VORTALIX2_RELATION(rayleigh, Ma_from_Po_Postar, "Po_Postar, ga, *, sup", "",
    fl::RayleighMaFromPoPostar(ga, flag),
    "Ma from Po/Po* >= 1 on the requested side of Ma = 1.\n"
    "\n"
    "Subsonic: up to the value at Ma = 0, (ga + 1) (2/(ga + 1))^(ga/(ga - 1)), which gives 0;\n"
    "supersonic: every value >= 1 (+inf gives +inf). NaN elsewhere.")

VORTALIX2_RELATION(rayleigh, Ma_from_T_Tstar, "T_Tstar, ga, *, sup(Ma = 1/sqrt(ga))", "",
    fl::RayleighMaFromTTstar(ga, flag),
    "Ma from T/T* on the requested side of its maximum (ga + 1)^2/(4 ga) at Ma = 1/sqrt(ga),\n"
    "in closed form: sup=False gives the root below 1/sqrt(ga), sup=True the one above.\n"
    "\n"
    "0 <= T/T* <= the maximum; 0 gives 0 (below) or +inf (above). NaN elsewhere.")

VORTALIX2_RELATION(rayleigh, Ma_from_rho_rhostar, "rho_rhostar, ga", "",
    fl::RayleighMaFromRhoRhostar(ga),
    "Ma = 1/sqrt((ga + 1) rho/rho* - ga) from rho/rho* >= ga/(ga + 1) (its lower end, the limit at\n"
    "Ma = inf, gives +inf, +inf gives 0; NaN below).")

VORTALIX2_RELATION(rayleigh, Ma_from_V_Vstar, "V_Vstar, ga", "",
    fl::RayleighMaFromVVstar(ga),
    "Ma = sqrt(V/V*/((ga + 1) - ga V/V*)) from 0 <= V/V* <= (ga + 1)/ga (the upper end, the limit\n"
    "at Ma = inf, gives +inf; NaN outside).")
