#include "rgnpy_Errors.h"

#include "nex_TextException.h"
#include "omu_ValueErrorException.h"

namespace py = pybind11;

namespace {

// Owned by the module object for the life of the interpreter.
PyObject* errorType = nullptr;
PyObject* valueErrorType = nullptr;

void raise(PyObject* type, const nex_Exception& e) {
    py::object error = py::reinterpret_borrow<py::object>(type)(e.what());
    error.attr("source") = py::str(e.File());
    error.attr("line") = e.Line();
    PyErr_SetObject(type, error.ptr());
}

} // namespace

void rgnpy_Errors::Register(py::module_& module) {
    errorType = PyErr_NewExceptionWithDoc(
        "rgn.Error",
        "A failure reported by the region module or its model database.\n\n"
        "str(error) is the system's own message (it names the file, the class and the object\n"
        "where it can); `source` and `line` give the source position that raised it.",
        PyExc_Exception, nullptr);
    if (!errorType)
        throw py::error_already_set();
    py::tuple bases = py::make_tuple(py::handle(errorType), py::handle(PyExc_ValueError));
    valueErrorType = PyErr_NewExceptionWithDoc(
        "rgn.ValueError",
        "A value the system's primitives refuse: an unknown set type name, a tuple element of\n"
        "the wrong kind or a tuple of the wrong length. Both an rgn.Error and a ValueError.",
        bases.ptr(), nullptr);
    if (!valueErrorType)
        throw py::error_already_set();
    module.add_object("Error", py::handle(errorType));
    module.add_object("ValueError", py::handle(valueErrorType));

    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown)
                std::rethrow_exception(thrown);
        } catch (const omu_ValueErrorException& e) {
            raise(valueErrorType, e);
        } catch (const nex_Exception& e) {
            raise(errorType, e);
        }
    });
}

void rgnpy_Errors::Fail(const char* file, int line, const std::string& message) {
    nex_TextException(cow_String(message)).Throw(file, line);
}
