// The system's exceptions as Python exceptions: rgn.Error for every nex_Exception, and
// rgn.ValueError (also a Python ValueError) for the primitives' value errors. Each carries the
// system's message as its text, with the source position that raised it as `source` and `line`.
//
//   rgnpy_Errors::Register(module);                 // once, when the module is imported
//   rgnpy_Errors::Fail("python/rgnpy_Database", __LINE__, "the database is closed");
#pragma once

#include <pybind11/pybind11.h>

#include <string>

class rgnpy_Errors {
public:
    // Creates rgn.Error and rgn.ValueError in `module` and installs the translator.
    static void Register(pybind11::module_& module);

    // Raises a failure of the Python layer itself the way the system raises its own: a
    // nex_TextException with this source position, which reaches Python as rgn.Error.
    [[noreturn]] static void Fail(const char* file, int line, const std::string& message);
};
