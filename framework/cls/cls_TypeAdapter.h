// Metadata of a value class T built from a record by T's reading constructor.
//
//   registrar.AddClassMD(new cls_TypeAdapter<rgnC_SetData>("rgnC_SetData", 405, 1));
#pragma once

#include "cls_AbsTypeAdapter.h"

template <class T>
class cls_TypeAdapter : public cls_AbsTypeAdapter<T> {
public:
    using cls_AbsTypeAdapter<T>::cls_AbsTypeAdapter;

    // Allocates a T with its reading constructor: what T reads (see cls_MementoRead::BuildObject).
    void* Ctor(cls_ReadVisitor& visitor) const override { return new T(visitor); }
};
