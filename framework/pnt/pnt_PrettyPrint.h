// The framework's debug printer: lines built with `<<` and closed with `endl`.
//
//   pnt_debugPrint() << "Set Index        = " << 3 << endl;
//
// Lines go to standard error unless a capture buffer is attached (tests and tools do that).
// Each thread has a printer of its own: its lines are built apart from other threads' and
// reach standard error whole, one write each; a capture catches the lines of its thread only.
#pragma once

#include "cow_String.h"

#include <string>
#include <string_view>

class pnt_PrettyPrint;

// Closes the current line; written as `endl` after the values of a line.
struct pnt_EndLine {};
inline constexpr pnt_EndLine endl{};

class pnt_PrettyPrint {
public:
    pnt_PrettyPrint& operator<<(std::string_view text);
    pnt_PrettyPrint& operator<<(const char* text) { return *this << std::string_view(text ? text : ""); }
    pnt_PrettyPrint& operator<<(const cow_String& text) { return *this << text.view(); }
    pnt_PrettyPrint& operator<<(long long value);
    pnt_PrettyPrint& operator<<(int value) { return *this << static_cast<long long>(value); }
    pnt_PrettyPrint& operator<<(unsigned int value) { return *this << static_cast<long long>(value); }
    pnt_PrettyPrint& operator<<(pnt_EndLine);

    // While a capture is attached, finished lines are appended to it instead of standard error.
    void AttachCapture(std::string* capture) { capture_ = capture; }

private:
    std::string line_;
    std::string* capture_ = nullptr;
};

pnt_PrettyPrint& pnt_debugPrint();

void pnt_initialize(int& count);
void pnt_finalize(int& count);
