#include "module/slice_container.hpp"

#include <cstddef>
#include <cstdlib>

#include "module/errors.hpp"
#include "module/guard.hpp"
#include "module/once.hpp"

namespace vortalix2 {

namespace {

using ReleaseFn = void (*)(double* ptr, std::size_t len, std::size_t cap);

struct SliceContainer {
    PyObject_HEAD
    double* ptr;
    std::size_t len;
    std::size_t cap;
    ReleaseFn release;
};

void free_buffer(double* ptr, std::size_t /*len*/, std::size_t cap) {
    if (cap != 0) std::free(ptr);
}

void container_dealloc(PyObject* self) {
    auto* c = reinterpret_cast<SliceContainer*>(self);
    // The release cannot fail; the guard is there for what the interpreter's own calls might do.
    try {
        if (c->release != nullptr) c->release(c->ptr, c->len, c->cap);
        c->ptr = nullptr;
        c->cap = 0;
        PyTypeObject* type = Py_TYPE(self);
        type->tp_free(self);
        Py_DECREF(type);  // instances of a heap type hold a reference to it
    } catch (...) {
        abort_at_boundary();
    }
}

char container_doc[] = "Safely stores the buffer of a result array on the Python heap.";

PyType_Slot container_slots[] = {
    {Py_tp_dealloc, reinterpret_cast<void*>(&container_dealloc)},
    {Py_tp_doc, container_doc},
    {0, nullptr},
};

// The dotted form only tells the interpreter that the class belongs to no module of its own;
// the class's name is "PySliceContainer".
PyType_Spec container_spec = {
    "builtins.PySliceContainer",
    static_cast<int>(sizeof(SliceContainer)),
    0,
    Py_TPFLAGS_DEFAULT,
    container_slots,
};

OnceCell<PyTypeObject*> container_type_cell;

PyTypeObject* container_type() {
    return container_type_cell.get([] {
        PyObject* type = PyType_FromSpec(&container_spec);
        if (type == nullptr) throw PythonError::fetch();
        return reinterpret_cast<PyTypeObject*>(type);  // kept for the life of the process
    });
}

}  // namespace

Ref make_slice_container(eval::Buffer buffer) {
    try {
        PyTypeObject* type = container_type();
        Ref obj = checked(type->tp_alloc(type, 0));
        auto* c = reinterpret_cast<SliceContainer*>(obj.get());
        c->len = buffer.size();
        c->cap = buffer.capacity();
        c->ptr = buffer.release();
        c->release = &free_buffer;
        return obj;
    } catch (PythonError& e) {
        throw Panic{"Failed to create slice container: " + e.render()};
    }
}

}  // namespace vortalix2
