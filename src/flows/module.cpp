// vortalix2_flows._core: the toolkit's relations as NumPy ufuncs, one per row of the registry.
//
// Each ufunc takes the relation's values, then `ga` (where the relation has it), then its branch
// flag (where it has one). Its loops, in the order NumPy tries them: float32 values and result,
// then float64 ones, with `ga` float64 and the flag bool in both (so a float32 call does not
// round ga); then, where these are not already so, the all-float32 and all-float64 loops that
// an explicit dtype= asks for (a flag there is true where nonzero). Every loop computes in
// float64; a float32 result is the float64 one rounded once. The module exposes
//
//   relations   a tuple of (module, name, parameters, aliases, docstring, ufunc, fast), one per
//               row in the registry's order; `fast` evaluates the relation on Python numbers
//               (float, int, bool flag) as a numpy.float64, or returns None where the call
//               needs the ufunc (other arguments, or a result that raises a status)
//   level()     the instruction-set level of the loops
//
// and every ufunc under its __name__, so that pickle finds it here.
//
// Floating-point status is NumPy's own: an element outside the domain (a NaN result of inputs
// without NaN) raises invalid, a finite input whose result overflows raises overflow; nothing
// else the loops do (lanes computed and thrown away, the library calls inside) is reported.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#define PY_ARRAY_UNIQUE_SYMBOL vortalix2_flows_array_api
#define PY_UFUNC_UNIQUE_SYMBOL vortalix2_flows_ufunc_api
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>
#include <numpy/arrayscalars.h>
#include <numpy/ufuncobject.h>

#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string_view>

#include "eval/dispatch.hpp"
#include "eval/toolkit_loops.hpp"

namespace vortalix2::flows {
namespace {

// What the module takes from each row.
struct Row {
    const char* module;
    const char* name;
    const char* parameters;
    const char* aliases;
    const char* doc;
    Parameters inputs;
};

constexpr Row rows[] = {
#define VORTALIX2_RELATION(module, name, params, aliases, kernel, doc) \
    {#module, #name, params, aliases, doc, parameters(params)},
#include "relations/flows/registry.hpp"
#undef VORTALIX2_RELATION
};
static_assert(std::size(rows) == relation_count);

// A relation as its ufunc's loops see it. Lives as long as the process (the ufuncs point
// into it).
struct Relation {
    const Row* row;
    LoopFn loop;    // at the process's level
    LoopFn scalar;  // the scalar level, for one element
    char name[96];
    int loop_count;
    char types[4 * 5];  // the loops' argument types, one loop after the other
    void* data[4];
    PyUFuncGenericFunction functions[4];
};

Relation relations[relation_count];

// A `ga` the relations accept: a finite number above 1. Any other gives NaN (invalid, unless
// ga itself is NaN). The Mach angle has no ga; its loop is given one it ignores.
constexpr double no_ga = 2.0;

bool valid_ga(double ga) { return ga > 1.0 && ga < std::numeric_limits<double>::infinity(); }

// Returns whether any result is a NaN or an infinity.
bool run_span(LoopFn run, double ga, bool flag, const double* const* in, double* out,
              std::size_t n) {
    if (!valid_ga(ga)) {
        for (std::size_t k = 0; k < n; ++k) out[k] = std::numeric_limits<double>::quiet_NaN();
        return n > 0;
    }
    return run(ga, flag, in, out, n);
}

// Whether the element's result, of these inputs, raises a status: invalid for a NaN result of
// inputs without NaN, overflow for an infinite result of finite inputs whose scalar
// evaluation overflows (an infinite limit of the domain, such as A/A* at Ma = 0, raises none).
struct Status {
    bool invalid = false;
    bool overflow = false;
};

void check(const Relation& rel, double ga, bool flag, const double* in, std::size_t values,
           double result, Status& status) {
    if (!std::isnan(result) && !std::isinf(result)) return;
    bool any_nan = std::isnan(ga);
    bool all_finite = std::isfinite(ga);
    for (std::size_t i = 0; i < values; ++i) {
        any_nan = any_nan || std::isnan(in[i]);
        all_finite = all_finite && std::isfinite(in[i]);
    }
    if (std::isnan(result)) {
        status.invalid = status.invalid || !any_nan;
        return;
    }
    if (!all_finite || status.overflow) return;
    const double* ins[2] = {in, in + 1};
    double again;
    std::feclearexcept(FE_ALL_EXCEPT);
    run_span(rel.scalar, ga, flag, ins, &again, 1);
    status.overflow = std::fetestexcept(FE_OVERFLOW) != 0;
}

template <class V>
double load(const char* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<double>(v);
}

// Elements per pass through the relation's loop where inputs must be gathered (strided or
// float32) or results scattered: small enough to stay in the first-level cache. Contiguous
// float64 goes through in longer blocks, still short enough that the results are in the
// second-level cache when they are looked over for NaN and infinities.
constexpr std::size_t chunk = 1024;
constexpr std::size_t block = 4096;


// A buffer of the extension's own, from the allocator tracemalloc sees; released on every
// way out.
class Scratch {
public:
    explicit Scratch(std::size_t doubles)
        : p_(doubles == 0 ? nullptr
                          : static_cast<double*>(PyMem_RawMalloc(doubles * sizeof(double)))) {}
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() { PyMem_RawFree(p_); }
    double* get() const { return p_; }

private:
    double* p_;
};

// The ufunc's inner loop for values and result of type V (float or double), ga of type G and
// the flag of type F (npy_bool, or V in the all-V loops).
template <class V, class G, class F>
void ufunc_loop(char** args, const npy_intp* dimensions, const npy_intp* steps, void* data) {
    const auto& rel = *static_cast<const Relation*>(data);
    const Parameters p = rel.row->inputs;
    const std::size_t n = static_cast<std::size_t>(dimensions[0]);
    if (n == 0) return;
    const std::size_t nv = p.values;
    const std::size_t at_ga = nv;
    const std::size_t at_flag = nv + (p.ga ? 1 : 0);
    const std::size_t at_out = at_flag + (p.flag ? 1 : 0);
    const int before = std::fetestexcept(FE_ALL_EXCEPT);

    // Float64 values and result that lie contiguous go to the loops in place; anything else
    // passes through scratch buffers a chunk at a time.
    bool direct = std::is_same_v<V, double> && steps[at_out] == sizeof(double);
    for (std::size_t i = 0; i < nv; ++i) direct = direct && steps[i] == sizeof(double);
    // Without memory for the scratch buffers, a few elements at a time through the stack.
    constexpr std::size_t few = 32;
    double spare[3 * few];
    Scratch scratch(direct ? 0 : (nv + 1) * chunk);
    double* buffer = scratch.get();
    std::size_t span = direct ? block : chunk;
    if (!direct && buffer == nullptr) {
        buffer = spare;
        span = few;
    }

    Status status;
    for (std::size_t first = 0; first < n; first += span) {
        const std::size_t m = std::min(span, n - first);
        const double* in[2] = {nullptr, nullptr};
        double* out;
        if (direct) {
            for (std::size_t i = 0; i < nv; ++i) {
                in[i] = reinterpret_cast<const double*>(args[i]) + first;
            }
            out = reinterpret_cast<double*>(args[at_out]) + first;
        } else {
            for (std::size_t i = 0; i < nv; ++i) {
                double* b = buffer + i * span;
                const char* src = args[i] + static_cast<npy_intp>(first) * steps[i];
                for (std::size_t k = 0; k < m; ++k) b[k] = load<V>(src + static_cast<npy_intp>(k) * steps[i]);
                in[i] = b;
            }
            out = buffer + nv * span;
        }
        auto ga_at = [&](std::size_t k) {
            return p.ga ? load<G>(args[at_ga] + static_cast<npy_intp>(first + k) * steps[at_ga])
                        : no_ga;
        };
        auto flag_at = [&](std::size_t k) {
            return p.flag &&
                   load<F>(args[at_flag] + static_cast<npy_intp>(first + k) * steps[at_flag]) != 0;
        };
        const bool same = (!p.ga || steps[at_ga] == 0) && (!p.flag || steps[at_flag] == 0);
        // Runs of equal (ga, flag) share one relation and one pass of its loop.
        bool not_finite = false;
        for (std::size_t k = 0; k < m;) {
            const double g = ga_at(k);
            const bool f = flag_at(k);
            std::size_t end = m;
            if (!same) {
                end = k + 1;
                while (end < m && ga_at(end) == g && flag_at(end) == f) ++end;
            }
            const double* run_in[2] = {in[0] + k, nv > 1 ? in[1] + k : nullptr};
            not_finite = run_span(rel.loop, g, f, run_in, out + k, end - k) || not_finite;
            k = end;
        }
        if (not_finite) {
            for (std::size_t k = 0; k < m; ++k) {
                const double r = out[k];
                if (std::isnan(r) || std::isinf(r)) {
                    const double x[2] = {in[0][k], nv > 1 ? in[1][k] : 0.0};
                    check(rel, ga_at(k), flag_at(k), x, nv, r, status);
                }
            }
        }
        if (!direct) {
            char* dst = args[at_out] + static_cast<npy_intp>(first) * steps[at_out];
            for (std::size_t k = 0; k < m; ++k) {
                const V v = static_cast<V>(out[k]);
                // A finite double beyond the float32 range overflows in the rounding.
                if (std::is_same_v<V, float> && std::isinf(v) && std::isfinite(out[k])) {
                    status.overflow = true;
                }
                std::memcpy(dst + static_cast<npy_intp>(k) * steps[at_out], &v, sizeof v);
            }
        }
    }
    // What NumPy had raised before the loop stays; of the loop's own, only the statuses found.
    std::feclearexcept(FE_ALL_EXCEPT);
    int raise = before;
    if (status.invalid) raise |= FE_INVALID;
    if (status.overflow) raise |= FE_OVERFLOW;
    if (raise != 0) std::feraiseexcept(raise);
}

// ---- The fast path for Python numbers.

bool number(PyObject* o, double& v) {
    if (PyFloat_Check(o)) {
        v = PyFloat_AS_DOUBLE(o);
        return true;
    }
    if (PyLong_CheckExact(o)) {
        v = PyLong_AsDouble(o);
        if (v == -1.0 && PyErr_Occurred()) {
            PyErr_Clear();
            return false;
        }
        return true;
    }
    return false;
}

PyObject* fast(PyObject* self, PyObject* const* args, Py_ssize_t nargs) {
    const auto* rel = static_cast<const Relation*>(PyCapsule_GetPointer(self, nullptr));
    if (rel == nullptr) return nullptr;
    const Parameters p = rel->row->inputs;
    const auto want = static_cast<Py_ssize_t>(p.values + (p.ga ? 1 : 0) + (p.flag ? 1 : 0));
    if (nargs != want) {
        PyErr_Format(PyExc_TypeError, "%s: takes %zd arguments", rel->name, want);
        return nullptr;
    }
    double in[2] = {0.0, 0.0};
    for (std::size_t i = 0; i < p.values; ++i) {
        if (!number(args[i], in[i])) Py_RETURN_NONE;
    }
    double ga = no_ga;
    if (p.ga && !number(args[p.values], ga)) Py_RETURN_NONE;
    bool flag = false;
    if (p.flag) {
        PyObject* f = args[p.values + (p.ga ? 1 : 0)];
        if (f != Py_True && f != Py_False) Py_RETURN_NONE;
        flag = f == Py_True;
    }
    const double* ins[2] = {&in[0], &in[1]};
    double out;
    run_span(rel->scalar, ga, flag, ins, &out, 1);
    if (std::isinf(out) || std::isnan(out)) {
        // The ufunc decides whether this raises a status; a NaN input's NaN never does.
        bool nan_in = std::isnan(ga);
        for (std::size_t i = 0; i < p.values; ++i) nan_in = nan_in || std::isnan(in[i]);
        if (!(std::isnan(out) && nan_in)) Py_RETURN_NONE;
    }
    PyObject* result = PyArrayScalar_New(Double);
    if (result == nullptr) return nullptr;
    PyArrayScalar_ASSIGN(result, Double, out);
    return result;
}

PyMethodDef fast_def = {"fast", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&fast)),
                        METH_FASTCALL, "fast(*inputs)\n--\n\nThe relation on Python numbers, or None."};

// ---- The module.

// The ufunc's name: the row's, prefixed with its module where another public name of the
// toolkit (a row's or an alias's) is the same.
void name_relation(Relation& rel) {
    const std::string_view name = rel.row->name;
    int uses = 0;
    for (const Row& row : rows) {
        if (name == row.name) ++uses;
        std::string_view aliases = row.aliases;
        while (!aliases.empty()) {
            const std::size_t space = aliases.find(' ');
            std::string_view alias = aliases.substr(0, space);
            aliases = space == std::string_view::npos ? std::string_view{} : aliases.substr(space + 1);
            alias = alias.substr(alias.find('.') + 1);
            alias = alias.substr(0, alias.find('('));
            if (alias == name) ++uses;
        }
    }
    if (uses > 1) {
        std::snprintf(rel.name, sizeof rel.name, "%s_%s", rel.row->module, rel.row->name);
    } else {
        std::snprintf(rel.name, sizeof rel.name, "%s", rel.row->name);
    }
}

// Steals `value`; false with a Python error set on failure.
bool set_item(PyObject* tuple, Py_ssize_t k, PyObject* value) {
    if (value == nullptr) return false;
    PyTuple_SET_ITEM(tuple, k, value);
    return true;
}

PyObject* make_relation(PyObject* module, Relation& rel) {
    const Parameters p = rel.row->inputs;
    const int nin = static_cast<int>(p.values + (p.ga ? 1 : 0) + (p.flag ? 1 : 0));
    struct Loop {
        char value, ga, flag;
        PyUFuncGenericFunction function;
    };
    const Loop loops[] = {{NPY_FLOAT, NPY_DOUBLE, NPY_BOOL, &ufunc_loop<float, double, npy_bool>},
                          {NPY_DOUBLE, NPY_DOUBLE, NPY_BOOL, &ufunc_loop<double, double, npy_bool>},
                          {NPY_FLOAT, NPY_FLOAT, NPY_FLOAT, &ufunc_loop<float, float, float>},
                          {NPY_DOUBLE, NPY_DOUBLE, NPY_DOUBLE, &ufunc_loop<double, double, double>}};
    // The all-float loops only where the relation has a flag, or ga besides float32 values.
    const bool homogeneous = p.flag || p.ga;
    int k = 0;
    rel.loop_count = 0;
    for (const Loop& loop : loops) {
        const int at = static_cast<int>(&loop - loops);
        if (at == 3 && !p.flag) continue;  // the float64 loop is all-float64 already
        if (at >= 2 && !homogeneous) continue;
        for (std::size_t i = 0; i < p.values; ++i) rel.types[k++] = loop.value;
        if (p.ga) rel.types[k++] = loop.ga;
        if (p.flag) rel.types[k++] = loop.flag;
        rel.types[k++] = loop.value;
        rel.data[rel.loop_count] = &rel;
        rel.functions[rel.loop_count++] = loop.function;
    }
    PyObject* ufunc = PyUFunc_FromFuncAndData(rel.functions, rel.data, rel.types, rel.loop_count,
                                              nin, 1, PyUFunc_None, rel.name, rel.row->doc, 0);
    if (ufunc == nullptr) return nullptr;
    Py_INCREF(ufunc);
    if (PyModule_AddObject(module, rel.name, ufunc) != 0) {
        Py_DECREF(ufunc);
        Py_DECREF(ufunc);
        return nullptr;
    }
    PyObject* capsule = PyCapsule_New(&rel, nullptr, nullptr);
    PyObject* fast_fn = capsule == nullptr ? nullptr : PyCFunction_New(&fast_def, capsule);
    Py_XDECREF(capsule);
    if (fast_fn == nullptr) {
        Py_DECREF(ufunc);
        return nullptr;
    }
    PyObject* entry = PyTuple_New(7);
    if (entry == nullptr) {
        Py_DECREF(ufunc);
        Py_DECREF(fast_fn);
        return nullptr;
    }
    const Row& row = *rel.row;
    PyTuple_SET_ITEM(entry, 5, ufunc);
    PyTuple_SET_ITEM(entry, 6, fast_fn);
    if (!set_item(entry, 0, PyUnicode_FromString(row.module)) ||
        !set_item(entry, 1, PyUnicode_FromString(row.name)) ||
        !set_item(entry, 2, PyUnicode_FromString(row.parameters)) ||
        !set_item(entry, 3, PyUnicode_FromString(row.aliases)) ||
        !set_item(entry, 4, PyUnicode_FromString(row.doc))) {
        Py_DECREF(entry);
        return nullptr;
    }
    return entry;
}

PyObject* level(PyObject*, PyObject*) { return PyUnicode_FromString(eval::name(eval::level())); }

PyMethodDef methods[] = {
    {"level", &level, METH_NOARGS, "level()\n--\n\nThe instruction-set level of the loops."},
    {nullptr, nullptr, 0, nullptr}};

PyModuleDef module_def = {PyModuleDef_HEAD_INIT, "vortalix2_flows._core",
                          "The toolkit's relations as NumPy ufuncs.", -1, methods,
                          nullptr, nullptr, nullptr, nullptr};

PyObject* init() {
    import_array();
    import_umath();
    PyObject* m = PyModule_Create(&module_def);
    if (m == nullptr) return nullptr;
    const LoopTable& chosen = loops(eval::level());
    const LoopTable& scalar = loops(eval::Level::scalar);
    PyObject* all = PyTuple_New(static_cast<Py_ssize_t>(relation_count));
    if (all == nullptr) {
        Py_DECREF(m);
        return nullptr;
    }
    for (std::size_t k = 0; k < relation_count; ++k) {
        Relation& rel = relations[k];
        rel.row = &rows[k];
        rel.loop = chosen[k];
        rel.scalar = scalar[k];
        name_relation(rel);
        PyObject* entry = make_relation(m, rel);
        if (entry == nullptr) {
            Py_DECREF(all);
            Py_DECREF(m);
            return nullptr;
        }
        PyTuple_SET_ITEM(all, static_cast<Py_ssize_t>(k), entry);
    }
    if (PyModule_AddObject(m, "relations", all) != 0) {
        Py_DECREF(all);
        Py_DECREF(m);
        return nullptr;
    }
    return m;
}

}  // namespace
}  // namespace vortalix2::flows

extern "C" __attribute__((visibility("default"))) PyObject* PyInit__core() {
    return vortalix2::flows::init();
}
