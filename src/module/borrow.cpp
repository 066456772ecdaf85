// The process-wide array-borrow registry: finding it (or installing ours) on NumPy's core
// multiarray module, and the four C functions that serve every participating module when ours is
// the installed one.
#include "module/borrow.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "module/borrow_state.hpp"
#include "module/errors.hpp"
#include "module/once.hpp"

// The record's functions are called from other modules' code through plain C function pointers.
extern "C" {
typedef int vortalix2_borrow_acquire_fn(void* flags, PyArrayObject* array);
typedef void vortalix2_borrow_release_fn(void* flags, PyArrayObject* array);

static int vortalix2_borrow_acquire(void* flags, PyArrayObject* array) noexcept;
static int vortalix2_borrow_acquire_mut(void* flags, PyArrayObject* array) noexcept;
static void vortalix2_borrow_release(void* flags, PyArrayObject* array) noexcept;
static void vortalix2_borrow_release_mut(void* flags, PyArrayObject* array) noexcept;
static void vortalix2_borrow_capsule_destructor(PyObject* capsule) noexcept;
}

namespace vortalix2::borrow {

namespace {

constexpr const char* kCapsuleName = "_RUST_NUMPY_BORROW_CHECKING_API";
constexpr std::uint64_t kVersion = 1;

// The record every participating module reads, whoever installed it. Its layout is shared across
// builds and modules: natural C alignment, fields in this order.
struct Record {
    std::uint64_t version;
    void* flags;
    vortalix2_borrow_acquire_fn* acquire;
    vortalix2_borrow_acquire_fn* acquire_mut;
    vortalix2_borrow_release_fn* release;
    vortalix2_borrow_release_fn* release_mut;
};

static_assert(offsetof(Record, version) == 0);
static_assert(offsetof(Record, flags) == 8);
static_assert(offsetof(Record, acquire) == 8 + sizeof(void*));
static_assert(offsetof(Record, acquire_mut) == 8 + 2 * sizeof(void*));
static_assert(offsetof(Record, release) == 8 + 3 * sizeof(void*));
static_assert(offsetof(Record, release_mut) == 8 + 4 * sizeof(void*));

// The registry in use, found once per process. The capsule's reference is never dropped; it is
// kept here rather than just abandoned so that the capsule stays reachable after the
// interpreter clears the module that held it at exit (leak checkers look for that).
struct Registry {
    const Record* record;
    PyObject* capsule;
};

OnceCell<Registry> registry_cell;

// A new registry served by this module, set on `multiarray`; returns the capsule.
Ref install(PyObject* multiarray) {
    auto* state = new BorrowState;
    auto* record = new Record{kVersion,
                              state,
                              &vortalix2_borrow_acquire,
                              &vortalix2_borrow_acquire_mut,
                              &vortalix2_borrow_release,
                              &vortalix2_borrow_release_mut};
    Ref capsule = Ref::steal(PyCapsule_New(record, kCapsuleName,
                                           &vortalix2_borrow_capsule_destructor));
    if (!capsule) {
        delete state;
        delete record;
        throw PythonError::fetch();
    }
    // From here on the capsule owns the record and the state.
    check(PyObject_SetAttrString(multiarray, kCapsuleName, capsule.get()) == 0);
    return capsule;
}

Registry find_or_install() {
    // Our registry functions read element sizes and array types through NumPy's table, and other
    // modules may call them as soon as the capsule is visible.
    numpy::load_array_api();
    try {
        const std::string name = numpy::core_name() + ".multiarray";
        Ref multiarray = checked(PyImport_ImportModule(name.c_str()));
        Ref capsule = Ref::steal(PyObject_GetAttrString(multiarray.get(), kCapsuleName));
        if (!capsule) {
            PyErr_Clear();
            capsule = install(multiarray.get());
        } else if (!PyCapsule_CheckExact(capsule.get())) {
            throw PythonError::cannot_convert(capsule.get(), "PyCapsule");
        }

        const char* capsule_name = PyCapsule_GetName(capsule.get());
        if (capsule_name == nullptr && PyErr_Occurred()) throw PythonError::fetch();
        void* pointer = PyCapsule_GetPointer(capsule.get(), capsule_name);
        if (pointer == nullptr) throw PythonError::fetch();
        const auto* record = static_cast<const Record*>(pointer);
        if (record->version < 1) {
            throw PythonError::type_error(
                "Version " + std::to_string(record->version) +
                " of borrow checking API is not supported by this version of vortalix2");
        }
        // Whoever installed the record keeps it alive as long as the capsule lives.
        return Registry{record, capsule.release()};
    } catch (PythonError& e) {
        throw Panic{"Interal borrow checking API error: " + e.render()};
    }
}

const Record& record() { return *registry_cell.get(find_or_install).record; }

// Where an array's memory comes from: the end of its chain of array bases. An array without a
// base owns its memory; a base that is not an array (a buffer, a result container) owns it.
std::uintptr_t base_address(PyArrayObject* array) {
    PyArrayObject* current = array;
    for (;;) {
        PyObject* base = PyArray_BASE(current);
        if (base == nullptr) return reinterpret_cast<std::uintptr_t>(current);
        if (!PyArray_Check(base)) return reinterpret_cast<std::uintptr_t>(base);
        current = reinterpret_cast<PyArrayObject*>(base);
    }
}

BorrowKey key_of(PyArrayObject* array) {
    static_assert(sizeof(npy_intp) == sizeof(std::intptr_t));
    const auto data = reinterpret_cast<std::uintptr_t>(PyArray_DATA(array));
    const auto* dims = reinterpret_cast<const std::intptr_t*>(PyArray_DIMS(array));
    const auto* strides = reinterpret_cast<const std::intptr_t*>(PyArray_STRIDES(array));
#if NPY_ABI_VERSION >= 0x02000000
    const std::intptr_t itemsize = PyDataType_ELSIZE(PyArray_DESCR(array));
#else
    const std::intptr_t itemsize = PyArray_DESCR(array)->elsize;
#endif
    return make_key(data, PyArray_NDIM(array), dims, strides, itemsize);
}

}  // namespace

bool acquire_shared(PyArrayObject* array) {
    const Record& r = record();
    const int code = r.acquire(r.flags, array);
    if (code == kBorrowed) return true;
    if (code == kAlreadyBorrowed) return false;
    throw Panic{"Unexpected return code " + std::to_string(code) + " from borrow checking API"};
}

void release_shared(PyArrayObject* array) {
    // A borrow was taken, so the record is known.
    const Registry* r = registry_cell.peek();
    if (r == nullptr) {
        std::fputs("vortalix2: shared borrow released before the registry was found\n", stderr);
        std::abort();
    }
    r->record->release(r->record->flags, array);
}

}  // namespace vortalix2::borrow

namespace borrow = vortalix2::borrow;

static borrow::BorrowState& state_of(void* flags) {
    return *static_cast<borrow::BorrowState*>(flags);
}

static int vortalix2_borrow_acquire(void* flags, PyArrayObject* array) noexcept {
    const std::uintptr_t base = borrow::base_address(array);
    return state_of(flags).acquire(base, borrow::key_of(array));
}

static int vortalix2_borrow_acquire_mut(void* flags, PyArrayObject* array) noexcept {
    if (!PyArray_ISWRITEABLE(array)) return borrow::kNotWriteable;
    const std::uintptr_t base = borrow::base_address(array);
    return state_of(flags).acquire_mut(base, borrow::key_of(array));
}

static void vortalix2_borrow_release(void* flags, PyArrayObject* array) noexcept {
    const std::uintptr_t base = borrow::base_address(array);
    state_of(flags).release(base, borrow::key_of(array));
}

static void vortalix2_borrow_release_mut(void* flags, PyArrayObject* array) noexcept {
    const std::uintptr_t base = borrow::base_address(array);
    state_of(flags).release_mut(base, borrow::key_of(array));
}

static void vortalix2_borrow_capsule_destructor(PyObject* capsule) noexcept {
    auto* record = static_cast<borrow::Record*>(
        PyCapsule_GetPointer(capsule, PyCapsule_GetName(capsule)));
    if (record == nullptr) {
        PyErr_Clear();
        return;
    }
    delete static_cast<borrow::BorrowState*>(record->flags);
    delete record;
}
