#include "cls_MetadataRegistrar.h"

#include "cls_ClassRegistrar.h"

void cls_MetadataRegistrar::initClassMetadata(Function function, unsigned int flags) {
    registrations_.push_back({function, flags});
    function(cls_ClassRegistrar::Current());
}
