// How the element loops are told what to do: plain data shared by the code compiled for every
// instruction set, so it carries no functions of its own.
#pragma once

#include <cstddef>

namespace vortalix2::eval {

// The input's elements and where their results go. Either one gap-free block of `count`
// doubles from `data` upwards, whose results go to out[0..count) in address order, or rows
// along the last of `ndim` axes visited in row-major index order from the element at `data`,
// whose results go to consecutive places of `out`.
struct Walk {
    const std::byte* data;
    std::size_t count;
    bool block;
    std::size_t ndim;
    const std::size_t* shape;
    const std::ptrdiff_t* strides;  // in elements
    double* out;
};

// One relation's element loop at one instruction-set level: builds the relation from the
// call's parameters (`sup` is ignored where the relation has none) and fills the walk.
using RunFn = void (*)(double ga, bool sup, const Walk& walk);

}  // namespace vortalix2::eval
