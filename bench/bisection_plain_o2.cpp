// The plain bisection again, built at -O2 (see bisection_plain.cpp).
#define PLAIN_BISECTION plain_bisection_o2
#include "bisection_plain.cpp"
