// The collection kind an object declares when it writes itself (a stored map declares 5).
#pragma once

#include "cls_Codes.h"

struct cls_CollectionTypeFix {
    cls_CollectionTypeFix(cls_CollectionType type, const void* detail) : type(type), detail(detail) {}
    cls_CollectionType type;
    const void* detail;
};
