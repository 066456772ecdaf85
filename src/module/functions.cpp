// The module: its nineteen functions, their one call path, and module initialisation.

#include <array>
#include <cstddef>
#include <utility>

#include "eval/dispatch.hpp"
#include "eval/mapper.hpp"
#include "module/arrays.hpp"
#include "module/binding.hpp"
#include "module/borrow.hpp"
#include "module/guard.hpp"
#include "module/once.hpp"
#include "relations/all.hpp"

namespace vortalix2 {

namespace {

enum class Sup {
    none,           // the function has no `sup`
    none_is_false,  // required; None counts as False
    optional,       // may be left out (False); None is refused
};

struct Function;
using Body = PyObject* (*)(const Function&, PyObject* const*, Py_ssize_t, PyObject*);

struct Function {
    const char* name;
    const char* doc;  // text signature, then "--", so that the function has no other docs
    FunctionDescription description;
    Body body;
};

// A shared (read) borrow of the input array for the length of one call.
class SharedBorrow {
public:
    explicit SharedBorrow(PyArrayObject* array) : array_(array) {
        if (!borrow::acquire_shared(array)) {
            throw Panic{"called `Result::unwrap()` on an `Err` value: AlreadyBorrowed"};
        }
    }
    SharedBorrow(const SharedBorrow&) = delete;
    SharedBorrow& operator=(const SharedBorrow&) = delete;
    ~SharedBorrow() { borrow::release_shared(array_); }

private:
    PyArrayObject* array_;
};

bool read_sup(Sup rule, PyObject* slot) {
    if (rule == Sup::none || slot == nullptr) return false;
    if (rule == Sup::none_is_false && slot == Py_None) return false;
    try {
        return convert_sup(slot);
    } catch (PythonError& e) {
        throw prefix_argument_error("sup", std::move(e));
    }
}

// The call path shared by every function. Arguments are bound and converted before the borrow
// is taken, so that no Python code (a `__float__`, a `__bool__`) runs while it is held.
template <class Relation, ArrayKind Kind, Sup SupRule>
PyObject* evaluate(const Function& f, PyObject* const* args, Py_ssize_t nargs,
                   PyObject* kwnames) {
    std::array<PyObject*, 3> slots{};
    bind(f.description, args, nargs, kwnames, slots.data());

    const auto read_array = [&] {
        try {
            return as_float64_array(slots[0], Kind);
        } catch (PythonError& e) {
            throw prefix_argument_error(f.description.positional[0], std::move(e));
        }
    };
    PyArrayObject* array = read_array();
    const Ref hold = Ref::borrow(reinterpret_cast<PyObject*>(array));

    double ga = 0.0;
    try {
        ga = convert_ga(slots[1]);
    } catch (PythonError& e) {
        throw prefix_argument_error("ga", std::move(e));
    }
    const bool sup = read_sup(SupRule, slots[2]);
    // The conversions may have run Python code that reshaped the array or changed its dtype;
    // it is checked again, and from here on no Python code runs until the result is built.
    read_array();

    const SharedBorrow borrow(array);
    const eval::View view = view_of(array);
    const eval::RunFn run = eval::kernel(eval::level(), relations::index_of<Relation>());
    eval::MappedResult mapped =
        Kind == ArrayKind::one_d
            ? eval::map_1d(view.data, view.shape[0], view.strides[0], run, ga, sup)
            : eval::map(view, run, ga, sup);
    return to_array(std::move(mapped)).release();
}

constexpr const char* ma_ga[] = {"Ma", "ga"};
constexpr const char* po_p_ga[] = {"Po_P", "ga"};
constexpr const char* to_t_ga[] = {"To_T", "ga"};
constexpr const char* rhoo_rho_ga[] = {"rhoo_rho", "ga"};
constexpr const char* v_cpto_ga[] = {"V_cpTo", "ga"};
constexpr const char* f_mcpto_ga_sup[] = {"F_mcpTo", "ga", "sup"};
constexpr const char* mcpto_apo_ga_sup[] = {"mcpTo_APo", "ga", "sup"};
constexpr const char* mcpto_ap_ga[] = {"mcpTo_AP", "ga"};
constexpr const char* a_acrit_ga_sup[] = {"A_Acrit", "ga", "sup"};
constexpr const char* mash_ga[] = {"Mash", "ga"};
constexpr const char* posh_po_ga[] = {"Posh_Po", "ga"};

template <class Relation, ArrayKind Kind = ArrayKind::n_d, Sup SupRule = Sup::none>
constexpr Function def(const char* name, const char* doc, std::span<const char* const> params,
                       std::size_t positional_only = 0) {
    const std::size_t required = SupRule == Sup::optional ? params.size() - 1 : params.size();
    return Function{name, doc, FunctionDescription{name, nullptr, params, positional_only,
                                                   required, {}},
                    &evaluate<Relation, Kind, SupRule>};
}

using namespace relations;
using enum ArrayKind;

// In the order of registration, which is also the order of __all__.
constexpr Function functions[] = {
    def<ToTFromMa, one_d>("To_T_from_Ma", "To_T_from_Ma(Ma, ga)\n--\n\n", ma_ga),
    def<PoPFromMa, one_d>("Po_P_from_Ma", "Po_P_from_Ma(Ma, ga)\n--\n\n", ma_ga),
    def<RhooRhoFromMa>("rhoo_rho_from_Ma", "rhoo_rho_from_Ma(Ma, ga)\n--\n\n", ma_ga),
    def<VCpToFromMa>("V_cpTo_from_Ma", "V_cpTo_from_Ma(Ma, ga)\n--\n\n", ma_ga),
    def<McpToAPoFromMa>("mcpTo_APo_from_Ma", "mcpTo_APo_from_Ma(Ma, ga)\n--\n\n", ma_ga),
    def<McpToAPFromMa>("mcpTo_AP_from_Ma", "mcpTo_AP_from_Ma(Ma, ga)\n--\n\n", ma_ga),
    def<AAcritFromMa>("A_Acrit_from_Ma", "A_Acrit_from_Ma(Ma, ga)\n--\n\n", ma_ga),
    def<MashFromMa>("Mash_from_Ma", "Mash_from_Ma(Ma, ga)\n--\n\n", ma_ga),
    def<PoshPoFromMa>("Posh_Po_from_Ma", "Posh_Po_from_Ma(Ma, ga)\n--\n\n", ma_ga),
    def<MaFromPoP>("Ma_from_Po_P", "Ma_from_Po_P(Po_P, ga)\n--\n\n", po_p_ga),
    def<MaFromToT>("Ma_from_To_T", "Ma_from_To_T(To_T, ga)\n--\n\n", to_t_ga),
    def<MaFromRhooRho>("Ma_from_rhoo_rho", "Ma_from_rhoo_rho(rhoo_rho, ga)\n--\n\n",
                       rhoo_rho_ga),
    def<MaFromVCpTo>("Ma_from_V_cpTo", "Ma_from_V_cpTo(V_cpTo, ga)\n--\n\n", v_cpto_ga),
    def<MaFromFMcpTo, n_d, Sup::none_is_false>(
        "Ma_from_F_mcpTo", "Ma_from_F_mcpTo(F_mcpTo, ga, sup)\n--\n\n", f_mcpto_ga_sup),
    def<MaFromMcpToAPo, n_d, Sup::optional>(
        "Ma_from_mcpTo_APo", "Ma_from_mcpTo_APo(mcpTo_APo, ga, sup=False, /)\n--\n\n",
        mcpto_apo_ga_sup, 3),
    def<MaFromMcpToAP>("Ma_from_mcpTo_AP", "Ma_from_mcpTo_AP(mcpTo_AP, ga)\n--\n\n",
                       mcpto_ap_ga),
    def<MaFromAAcrit, n_d, Sup::none_is_false>(
        "Ma_from_A_Acrit", "Ma_from_A_Acrit(A_Acrit, ga, sup)\n--\n\n", a_acrit_ga_sup),
    def<MaFromMash>("Ma_from_Mash", "Ma_from_Mash(Mash, ga)\n--\n\n", mash_ga),
    def<MaFromPoshPo>("Ma_from_Posh_Po", "Ma_from_Posh_Po(Posh_Po, ga)\n--\n\n", posh_po_ga),
};

constexpr std::size_t function_count = std::size(functions);

template <std::size_t I>
PyObject* entry(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs,
                PyObject* kwnames) {
    return call_guard([&] { return functions[I].body(functions[I], args, nargs, kwnames); });
}

template <std::size_t... I>
std::array<PyMethodDef, sizeof...(I)> make_method_defs(std::index_sequence<I...>) {
    return {{PyMethodDef{functions[I].name,
                         reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&entry<I>)),
                         METH_FASTCALL | METH_KEYWORDS, functions[I].doc}...}};
}

std::array<PyMethodDef, function_count> method_defs =
    make_method_defs(std::make_index_sequence<function_count>{});

PyModuleDef module_def = {
    PyModuleDef_HEAD_INIT,
    "vortalix2",
    "A Python module implemented in C++: steady one-dimensional compressible-flow relations "
    "of a calorically perfect gas over NumPy float64 arrays.",
    0,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

void add_function(PyObject* module, PyMethodDef* def) {
    PyObject* dict = PyModule_GetDict(module);  // borrowed
    check(dict != nullptr);
    PyObject* module_name = PyDict_GetItemString(dict, "__name__");  // borrowed
    if (module_name == nullptr || !PyUnicode_Check(module_name)) {
        throw PythonError::type_error("module __name__ must be a str");
    }
    Ref function = checked(PyCFunction_NewEx(def, module, module_name));
    Ref name = checked(PyObject_GetAttrString(function.get(), "__name__"));
    if (!PyUnicode_Check(name.get())) {
        throw PythonError::cannot_convert(name.get(), "PyString");
    }
    Ref all = Ref::steal(PyObject_GetAttrString(module, "__all__"));
    if (!all) {
        if (!PyErr_ExceptionMatches(PyExc_AttributeError)) throw PythonError::fetch();
        PyErr_Clear();
        all = checked(PyList_New(0));
        check(PyObject_SetAttrString(module, "__all__", all.get()) == 0);
    } else if (!PyList_Check(all.get())) {
        throw PythonError::cannot_convert(all.get(), "PyList");
    }
    if (PyList_Append(all.get(), name.get()) != 0) {
        PyErr_Clear();
        throw Panic{"could not append __name__ to __all__"};
    }
    check(PyObject_SetAttr(module, name.get(), function.get()) == 0);
}

PyObject* create_module() {
    Ref module = Ref::steal(PyModule_Create2(&module_def, 1013));
    if (!module) throw PythonError::fetch();
    for (PyMethodDef& def : method_defs) add_function(module.get(), &def);
    return module.release();  // the cache's reference, kept for the life of the process
}

OnceCell<PyObject*> module_cache;

}  // namespace

}  // namespace vortalix2

PyMODINIT_FUNC PyInit_vortalix2() {
    return vortalix2::call_guard([] {
        PyObject* module = vortalix2::module_cache.get(vortalix2::create_module);
        Py_INCREF(module);
        return module;
    });
}
