#include "rgnpy_Tuples.h"

#include <climits>
#include <string>

namespace py = pybind11;

py::tuple rgnpy_Tuples::ToPython(const omu_PrimTuple& tuple) {
    py::tuple out(tuple.Size());
    for (int i = 0; i < tuple.Size(); ++i) {
        switch (tuple.KindAt(i)) {
        case omu_PrimTuple::ElementKind::String:
            out[i] = py::str(tuple.StringAt(i).c_str(), tuple.StringAt(i).size());
            break;
        case omu_PrimTuple::ElementKind::Int:
            out[i] = py::int_(tuple.IntAt(i));
            break;
        case omu_PrimTuple::ElementKind::Primitive: {
            const omu_Primitive& p = tuple.PrimitiveAt(i);
            if (const auto* nested = dynamic_cast<const omu_PrimTuple*>(&p))
                out[i] = ToPython(*nested);
            else
                out[i] = py::str(p.AsString(0).str());
            break;
        }
        }
    }
    return out;
}

std::unique_ptr<omu_PrimTuple> rgnpy_Tuples::FromPython(py::handle tuple) {
    if (!py::isinstance<py::tuple>(tuple) && !py::isinstance<py::list>(tuple))
        throw py::type_error("a scripting tuple is a tuple, not " +
                             py::str(py::type::of(tuple).attr("__name__")).cast<std::string>());
    const py::sequence items = py::reinterpret_borrow<py::sequence>(tuple);
    auto out = std::make_unique<omu_PrimTuple>(static_cast<int>(items.size()), '(');
    for (py::handle item : items) {
        if (py::isinstance<py::str>(item)) {
            out->Append(cow_String(item.cast<std::string>()));
        } else if (py::isinstance<py::int_>(item)) {
            int overflow = 0;
            const long long v = PyLong_AsLongLongAndOverflow(item.ptr(), &overflow);
            if (overflow != 0 || v < INT_MIN || v > INT_MAX)
                throw py::value_error("a scripting tuple holds 32-bit ints, not " +
                                      py::str(item).cast<std::string>());
            out->Append(static_cast<int>(v));
        } else if (py::isinstance<py::tuple>(item) || py::isinstance<py::list>(item)) {
            out->Append(std::unique_ptr<omu_Primitive>(FromPython(item)));
        } else {
            throw py::type_error("a scripting tuple holds str, int and tuples, not " +
                                 py::str(py::type::of(item).attr("__name__")).cast<std::string>());
        }
    }
    return out;
}
