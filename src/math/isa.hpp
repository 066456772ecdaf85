// Which instruction set this translation unit is compiled for.
//
// The element loops are compiled several times, once per instruction set, and linked into one
// module. Every inline function and template they use lives in an inline namespace named after
// the instruction set, so that no copy compiled for one set can stand in for another at link
// time. Translation units built for a wider set define VORTALIX2_ISA (and VORTALIX2_LANES, the
// doubles per vector register); everything else is the x86-64 baseline.
#pragma once

#ifndef VORTALIX2_ISA
#define VORTALIX2_ISA isa_baseline
#endif

// Without GCC's vector extensions (a compiler other than GCC or clang, or a build asked for
// VORTALIX2_NO_VECTOR) there are no lane types: only the scalar loops exist.
#if !defined(VORTALIX2_NO_VECTOR) && !(defined(__GNUC__) || defined(__clang__))
#define VORTALIX2_NO_VECTOR
#endif
