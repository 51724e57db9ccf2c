// The refusal of a propagating attribute's status, kept out of the attribute template.
#include "mdl_PropAttributeStateEnm.h"

#include "atr_SubstituteFormat.h"
#include "atr_translate.h"
#include "nex_TextException.h"

void mdl_ThrowInvalidPropagationStatus(const char* name, int line) {
    nex_TextException(
        atr_SubstituteFormat(atr_translate("Invalid propagation status for '%s' attribute."))
            .Substitute(1, name ? name : "")
            .Result())
        .Throw("generated/include/mdl_PropagatingAttribute", line);
}
