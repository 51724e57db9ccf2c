#include "omu_Primitive.h"

cow_String omu_Primitive::AsRepr() const {
    return cow_String("'") + AsString(0).view() + "'";
}
