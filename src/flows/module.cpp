// vortalix2_flows._core: the toolkit's thin extension boundary.
//
// The Python front converts and broadcasts the arguments; this module receives contiguous
// float64 buffers and fills the result. Two entry points:
//
//   apply(kernel, x, ga, sup, out)  x and out hold n float64 each; ga holds 1 or n float64 and
//                                   sup 1 or n bytes (0 or 1). Runs of elements that share
//                                   (ga, sup) go through the relation's element loop together.
//   scalar(kernel, x, ga, sup)      one element, as a Python float.
//
// ga that is not a finite number above 1 gives NaN. Errors are the conventional ones
// (TypeError, ValueError, IndexError); the GIL is released while the loops run.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>

#include "eval/dispatch.hpp"
#include "eval/walk.hpp"
#include "flows/pairs.hpp"
#include "flows/table.hpp"

namespace vortalix2::flows {
namespace {

// A buffer view released on every way out.
class Buffer {
public:
    Buffer() = default;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer() {
        if (held_) PyBuffer_Release(&view_);
    }
    // A C-contiguous buffer of `itemsize`-byte items of one of the `formats`; false with a
    // Python error set otherwise.
    bool get(PyObject* obj, bool writable, Py_ssize_t itemsize, const char* formats,
             const char* what) {
        const int flags = PyBUF_C_CONTIGUOUS | PyBUF_FORMAT | (writable ? PyBUF_WRITABLE : 0);
        if (PyObject_GetBuffer(obj, &view_, flags) != 0) return false;
        held_ = true;
        const char* f = view_.format != nullptr ? view_.format : "B";
        if (f[0] == '<' || f[0] == '=' || f[0] == '@') ++f;
        const bool known = f[0] != '\0' && f[1] == '\0' && std::strchr(formats, f[0]) != nullptr;
        if (view_.itemsize != itemsize || !known) {
            PyErr_Format(PyExc_TypeError, "%s: expected a contiguous buffer of %s", what,
                         itemsize == 8 ? "float64" : "bytes");
            return false;
        }
        return true;
    }
    std::size_t count() const { return static_cast<std::size_t>(view_.len / view_.itemsize); }
    const std::byte* bytes() const { return static_cast<const std::byte*>(view_.buf); }
    double* doubles() const { return static_cast<double*>(view_.buf); }

private:
    Py_buffer view_{};
    bool held_ = false;
};

bool valid_ga(double ga) { return ga > 1.0 && ga < std::numeric_limits<double>::infinity(); }

void run_span(eval::RunFn run, double ga, bool sup, const std::byte* x, double* out,
              std::size_t n) {
    if (n == 0) return;
    if (!valid_ga(ga)) {
        for (std::size_t k = 0; k < n; ++k) out[k] = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    const eval::Walk walk{x, n, true, 0, nullptr, nullptr, out};
    run(ga, sup, walk);
}

bool read_kernel(PyObject* obj, std::size_t& k) {
    const Py_ssize_t v = PyLong_AsSsize_t(obj);
    if (v == -1 && PyErr_Occurred()) return false;
    if (v < 0 || v >= static_cast<Py_ssize_t>(kernel_count)) {
        PyErr_SetString(PyExc_IndexError, "no such relation");
        return false;
    }
    k = static_cast<std::size_t>(v);
    return true;
}

PyObject* apply(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 5) {
        PyErr_SetString(PyExc_TypeError, "apply(kernel, x, ga, sup, out) takes 5 arguments");
        return nullptr;
    }
    std::size_t k;
    if (!read_kernel(args[0], k)) return nullptr;
    Buffer x, ga, sup, out;
    if (!x.get(args[1], false, 8, "d", "x") || !ga.get(args[2], false, 8, "d", "ga") ||
        !sup.get(args[3], false, 1, "?bBc", "sup") || !out.get(args[4], true, 8, "d", "out")) {
        return nullptr;
    }
    const std::size_t n = x.count();
    if (out.count() != n || (ga.count() != 1 && ga.count() != n) ||
        (sup.count() != 1 && sup.count() != n)) {
        PyErr_SetString(PyExc_ValueError, "x, ga, sup and out do not have matching sizes");
        return nullptr;
    }
    if (static_cast<const void*>(x.bytes()) == static_cast<const void*>(out.doubles()) && n > 0) {
        PyErr_SetString(PyExc_ValueError, "out must not be the input");
        return nullptr;
    }
    const eval::RunFn run = flows::kernel(eval::level(), k);
    const double* gas = reinterpret_cast<const double*>(ga.bytes());
    const unsigned char* sups = reinterpret_cast<const unsigned char*>(sup.bytes());
    const bool ga_each = ga.count() != 1 || n == 1;
    const bool sup_each = sup.count() != 1 || n == 1;
    Py_BEGIN_ALLOW_THREADS
    if (!ga_each && !sup_each) {
        run_span(run, gas[0], sups[0] != 0, x.bytes(), out.doubles(), n);
    } else {
        // Runs of equal parameters share one relation and one loop.
        std::size_t first = 0;
        while (first < n) {
            const double g = gas[ga_each ? first : 0];
            const bool s = sups[sup_each ? first : 0] != 0;
            std::size_t end = first + 1;
            while (end < n) {
                const double ge = gas[ga_each ? end : 0];
                const bool se = sups[sup_each ? end : 0] != 0;
                if (!(ge == g) || se != s) break;
                ++end;
            }
            run_span(run, g, s, x.bytes() + first * sizeof(double), out.doubles() + first,
                     end - first);
            first = end;
        }
    }
    Py_END_ALLOW_THREADS
    Py_RETURN_NONE;
}

PyObject* scalar(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 4) {
        PyErr_SetString(PyExc_TypeError, "scalar(kernel, x, ga, sup) takes 4 arguments");
        return nullptr;
    }
    std::size_t k;
    if (!read_kernel(args[0], k)) return nullptr;
    const double x = PyFloat_AsDouble(args[1]);
    if (x == -1.0 && PyErr_Occurred()) return nullptr;
    const double ga = PyFloat_AsDouble(args[2]);
    if (ga == -1.0 && PyErr_Occurred()) return nullptr;
    const int sup = PyObject_IsTrue(args[3]);
    if (sup < 0) return nullptr;
    // One element: the scalar loop, which gives every level's bits without filling lanes
    // with copies of it.
    double out = 0.0;
    run_span(flows::kernel(eval::Level::scalar, k), ga, sup != 0, reinterpret_cast<const std::byte*>(&x),
             &out, 1);
    return PyFloat_FromDouble(out);
}

// ---- Relations of two arguments (the oblique shock's): x and y hold n float64 each, ga 1 or n
// float64 and flag (`strong`) 1 or n bytes; runs of equal (ga, flag) share one relation.

bool read_pair_kernel(PyObject* obj, std::size_t& k) {
    const Py_ssize_t v = PyLong_AsSsize_t(obj);
    if (v == -1 && PyErr_Occurred()) return false;
    if (v < 0 || v >= static_cast<Py_ssize_t>(pair_kernel_count)) {
        PyErr_SetString(PyExc_IndexError, "no such relation");
        return false;
    }
    k = static_cast<std::size_t>(v);
    return true;
}

void run_pair_span(PairFn run, double ga, bool flag, const double* x, const double* y,
                   double* out, std::size_t n) {
    if (n == 0) return;
    if (!valid_ga(ga)) {
        for (std::size_t k = 0; k < n; ++k) out[k] = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    run(ga, flag, x, y, out, n);
}

PyObject* apply2(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 6) {
        PyErr_SetString(PyExc_TypeError, "apply2(kernel, x, y, ga, flag, out) takes 6 arguments");
        return nullptr;
    }
    std::size_t k;
    if (!read_pair_kernel(args[0], k)) return nullptr;
    Buffer x, y, ga, flag, out;
    if (!x.get(args[1], false, 8, "d", "x") || !y.get(args[2], false, 8, "d", "y") ||
        !ga.get(args[3], false, 8, "d", "ga") || !flag.get(args[4], false, 1, "?bBc", "flag") ||
        !out.get(args[5], true, 8, "d", "out")) {
        return nullptr;
    }
    const std::size_t n = x.count();
    if (y.count() != n || out.count() != n || (ga.count() != 1 && ga.count() != n) ||
        (flag.count() != 1 && flag.count() != n)) {
        PyErr_SetString(PyExc_ValueError, "x, y, ga, flag and out do not have matching sizes");
        return nullptr;
    }
    const void* o = out.doubles();
    if (n > 0 && (o == static_cast<const void*>(x.bytes()) || o == static_cast<const void*>(y.bytes()))) {
        PyErr_SetString(PyExc_ValueError, "out must not be an input");
        return nullptr;
    }
    const PairFn run = flows::pair_kernel(eval::level(), k);
    const double* xs = reinterpret_cast<const double*>(x.bytes());
    const double* ys = reinterpret_cast<const double*>(y.bytes());
    const double* gas = reinterpret_cast<const double*>(ga.bytes());
    const unsigned char* flags = reinterpret_cast<const unsigned char*>(flag.bytes());
    const bool ga_each = ga.count() != 1 || n == 1;
    const bool flag_each = flag.count() != 1 || n == 1;
    Py_BEGIN_ALLOW_THREADS
    std::size_t first = 0;
    while (first < n) {
        const double g = gas[ga_each ? first : 0];
        const bool f = flags[flag_each ? first : 0] != 0;
        std::size_t end = n;
        if (ga_each || flag_each) {
            end = first + 1;
            while (end < n && gas[ga_each ? end : 0] == g && (flags[flag_each ? end : 0] != 0) == f) {
                ++end;
            }
        }
        run_pair_span(run, g, f, xs + first, ys + first, out.doubles() + first, end - first);
        first = end;
    }
    Py_END_ALLOW_THREADS
    Py_RETURN_NONE;
}

PyObject* scalar2(PyObject*, PyObject* const* args, Py_ssize_t nargs) {
    if (nargs != 5) {
        PyErr_SetString(PyExc_TypeError, "scalar2(kernel, x, y, ga, flag) takes 5 arguments");
        return nullptr;
    }
    std::size_t k;
    if (!read_pair_kernel(args[0], k)) return nullptr;
    const double x = PyFloat_AsDouble(args[1]);
    if (x == -1.0 && PyErr_Occurred()) return nullptr;
    const double y = PyFloat_AsDouble(args[2]);
    if (y == -1.0 && PyErr_Occurred()) return nullptr;
    const double ga = PyFloat_AsDouble(args[3]);
    if (ga == -1.0 && PyErr_Occurred()) return nullptr;
    const int flag = PyObject_IsTrue(args[4]);
    if (flag < 0) return nullptr;
    double out = 0.0;
    run_pair_span(flows::pair_kernel(eval::Level::scalar, k), ga, flag != 0, &x, &y, &out, 1);
    return PyFloat_FromDouble(out);
}
// ----

PyObject* level(PyObject*, PyObject*) { return PyUnicode_FromString(eval::name(eval::level())); }

PyMethodDef methods[] = {
    {"apply", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&apply)), METH_FASTCALL,
     "apply(kernel, x, ga, sup, out)\n--\n\nFills out with the relation at position kernel."},
    {"scalar", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&scalar)),
     METH_FASTCALL, "scalar(kernel, x, ga, sup)\n--\n\nThe relation at one element."},
    {"apply2", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&apply2)), METH_FASTCALL,
     "apply2(kernel, x, y, ga, flag, out)\n--\n\nFills out with the relation of two arguments."},
    {"scalar2", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&scalar2)),
     METH_FASTCALL, "scalar2(kernel, x, y, ga, flag)\n--\n\nThe relation of two arguments at one element."},
    {"level", &level, METH_NOARGS, "level()\n--\n\nThe instruction-set level of the loops."},
    {nullptr, nullptr, 0, nullptr}};

PyModuleDef module_def = {PyModuleDef_HEAD_INIT, "vortalix2_flows._core",
                          "The toolkit's element loops.", -1, methods,
                          nullptr, nullptr, nullptr, nullptr};

}  // namespace
}  // namespace vortalix2::flows

extern "C" __attribute__((visibility("default"))) PyObject* PyInit__core() {
    PyObject* m = PyModule_Create(&vortalix2::flows::module_def);
    if (m == nullptr) return nullptr;
    if (PyModule_AddIntConstant(m, "pair_kernel_count",
                                static_cast<long>(vortalix2::flows::pair_kernel_count)) != 0) {
        Py_DECREF(m);
        return nullptr;
    }
    if (PyModule_AddIntConstant(m, "kernel_count",
                                static_cast<long>(vortalix2::flows::kernel_count)) != 0) {
        Py_DECREF(m);
        return nullptr;
    }
    return m;
}
