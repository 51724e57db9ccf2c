// The collection kind an object declares when it writes itself (a stored map declares 5).
#pragma once

#include "cls_Codes.h"

struct cls_CollectionTypeFix {
    // Two words passed by value, O(1); `detail` is not owned, and the framework does not read it.
    cls_CollectionTypeFix(cls_CollectionType type, const void* detail) : type(type), detail(detail) {}
    cls_CollectionType type;
    const void* detail;
};
