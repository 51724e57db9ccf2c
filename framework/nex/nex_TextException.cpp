#include "nex_TextException.h"

void nex_TextException::Throw(const char* file, int line) {
    setPosition(file, line);
    throw *this;
}
