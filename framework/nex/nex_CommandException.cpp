#include "nex_CommandException.h"

void nex_CommandException::Throw(const char* file, int line) {
    setPosition(file, line);
    throw *this;
}
