#include "rgnC_Module.h"

int main() {
    int count = 0;
    rgnC_initialize(count);
    rgnC_finalize(count);
    return 0;
}
