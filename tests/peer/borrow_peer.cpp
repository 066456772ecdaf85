// A second extension module taking part in the array-borrow registry, for tests only.
//
// It can install a registry record of its own (which counts the calls it gets and answers with a
// chosen code), and it can call the functions of whatever record is installed, exclusive borrows
// included, the way another module would: by reading the record at its fixed byte offsets.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr const char* kCapsuleName = "_RUST_NUMPY_BORROW_CHECKING_API";

extern "C" {
typedef int acquire_fn(void* flags, void* array);
typedef void release_fn(void* flags, void* array);
}

// ---- the peer's own record -------------------------------------------------------------------

struct Counts {
    long acquire = 0, acquire_mut = 0, release = 0, release_mut = 0;
};

Counts counts;
int acquire_code = 0;
PyObject* last_array = nullptr;  // strong reference to the array of the latest call

void remember(void* array) {
    PyObject* obj = static_cast<PyObject*>(array);
    Py_INCREF(obj);
    PyObject* old = last_array;
    last_array = obj;
    Py_XDECREF(old);
}

extern "C" int peer_acquire(void*, void* array) {
    ++counts.acquire;
    remember(array);
    return acquire_code;
}
extern "C" int peer_acquire_mut(void*, void* array) {
    ++counts.acquire_mut;
    remember(array);
    return 0;
}
extern "C" void peer_release(void*, void* array) {
    ++counts.release;
    remember(array);
}
extern "C" void peer_release_mut(void*, void* array) {
    ++counts.release_mut;
    remember(array);
}

struct Record {
    std::uint64_t version;
    void* flags;
    acquire_fn* acquire;
    acquire_fn* acquire_mut;
    release_fn* release;
    release_fn* release_mut;
};

static_assert(offsetof(Record, acquire) == 8 + sizeof(void*));
static_assert(offsetof(Record, release_mut) == 8 + 4 * sizeof(void*));

Record record = {1, nullptr, &peer_acquire, &peer_acquire_mut, &peer_release, &peer_release_mut};

// make_record(version) -> a capsule for the peer's record, to be set on the multiarray module.
PyObject* make_record(PyObject*, PyObject* arg) {
    const unsigned long long version = PyLong_AsUnsignedLongLong(arg);
    if (PyErr_Occurred()) return nullptr;
    record.version = version;
    return PyCapsule_New(&record, kCapsuleName, nullptr);
}

// calls() -> (acquire, acquire_mut, release, release_mut) made on the peer's record.
PyObject* calls(PyObject*, PyObject*) {
    return Py_BuildValue("(llll)", counts.acquire, counts.acquire_mut, counts.release,
                         counts.release_mut);
}

// set_acquire_code(code): what the peer's shared acquire answers from now on.
PyObject* set_acquire_code(PyObject*, PyObject* arg) {
    const long code = PyLong_AsLong(arg);
    if (PyErr_Occurred()) return nullptr;
    acquire_code = static_cast<int>(code);
    Py_RETURN_NONE;
}

// last_array() -> the array passed in the latest call to the peer's record, or None.
PyObject* get_last_array(PyObject*, PyObject*) {
    PyObject* obj = last_array != nullptr ? last_array : Py_None;
    Py_INCREF(obj);
    return obj;
}

// ---- calling the installed record --------------------------------------------------------------

const unsigned char* record_of(PyObject* capsule) {
    const char* name = PyCapsule_GetName(capsule);
    if (name == nullptr && PyErr_Occurred()) return nullptr;
    return static_cast<const unsigned char*>(PyCapsule_GetPointer(capsule, name));
}

template <class T>
T field(const unsigned char* record, std::size_t offset) {
    T value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

// Byte offsets of the fields: version, then the flags pointer at 8, then the four functions.
constexpr std::size_t kFlags = 8;
constexpr std::size_t function_offset(int i) { return 8 + (i + 1) * sizeof(void*); }

bool parse(PyObject* args, PyObject** capsule, PyObject** array) {
    return PyArg_ParseTuple(args, "OO", capsule, array) != 0;
}

template <int Index>
PyObject* call_acquire(PyObject*, PyObject* args) {
    PyObject *capsule, *array;
    if (!parse(args, &capsule, &array)) return nullptr;
    const unsigned char* r = record_of(capsule);
    if (r == nullptr) return nullptr;
    auto* fn = field<acquire_fn*>(r, function_offset(Index));
    return PyLong_FromLong(fn(field<void*>(r, kFlags), array));
}

template <int Index>
PyObject* call_release(PyObject*, PyObject* args) {
    PyObject *capsule, *array;
    if (!parse(args, &capsule, &array)) return nullptr;
    const unsigned char* r = record_of(capsule);
    if (r == nullptr) return nullptr;
    auto* fn = field<release_fn*>(r, function_offset(Index));
    fn(field<void*>(r, kFlags), array);
    Py_RETURN_NONE;
}

// version(capsule) -> the 64-bit version at the start of the record.
PyObject* version(PyObject*, PyObject* capsule) {
    const unsigned char* r = record_of(capsule);
    if (r == nullptr) return nullptr;
    return PyLong_FromUnsignedLongLong(field<std::uint64_t>(r, 0));
}

PyMethodDef methods[] = {
    {"make_record", make_record, METH_O, nullptr},
    {"calls", calls, METH_NOARGS, nullptr},
    {"set_acquire_code", set_acquire_code, METH_O, nullptr},
    {"last_array", get_last_array, METH_NOARGS, nullptr},
    {"version", version, METH_O, nullptr},
    {"acquire", call_acquire<0>, METH_VARARGS, nullptr},
    {"acquire_mut", call_acquire<1>, METH_VARARGS, nullptr},
    {"release", call_release<2>, METH_VARARGS, nullptr},
    {"release_mut", call_release<3>, METH_VARARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef definition = {
    PyModuleDef_HEAD_INIT, "borrow_peer", "A second module of the array-borrow registry (tests).",
    -1, methods, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

extern "C" PyMODINIT_FUNC PyInit_borrow_peer() { return PyModule_Create(&definition); }
