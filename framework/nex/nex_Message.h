// Raises the system's messages, one way for all of them: the message text is looked up in the
// message catalog, its places filled from the arguments in order (place 1 from the first; the
// `%N$s` and the printf-style `%s`/`%d` places alike), and the exception thrown at the source
// position text and line given. Lines are named constants beside the throw site: they are the
// positions callers see, so they do not move when the code around them does.
//
//   constexpr int kIndexOutOfRangeLine = 156;
//   nex_Message::Raise(kSourceFile, kIndexOutOfRangeLine,
//                      "Set data index outside range [0 - %1$s]: %2$s", numSubset, index);
//   nex_Message::Raise<omu_ValueErrorException>(kSourceFile, kLine, "...: %s", name);
#pragma once

#include "cow_String.h"
#include "nex_TextException.h"

#include <initializer_list>
#include <string>
#include <type_traits>

class nex_Message {
public:
    // One argument of a message: a text, or an int written as its decimal text. Holds a
    // pointer to the caller's text, so it lives only for the call it is made for.
    class Arg {
    public:
        Arg(int number) : text_(nullptr), number_(number) {}
        Arg(const char* text) : text_(text ? text : ""), number_(0) {}
        Arg(const cow_String& text) : text_(text.c_str()), number_(0) {}
        Arg(const std::string& text) : text_(text.c_str()), number_(0) {}

        const char* Text() const { return text_; }
        int Number() const { return number_; }

    private:
        const char* text_; // null for a number
        int number_;
    };

    // The translated `format` with its places filled from `args`. Allocates the text.
    static cow_String Format(const char* format, std::initializer_list<Arg> args);

    // Throws E (nex_TextException unless given), made from the formatted message, at `file`
    // and `line`. The formatting lives out of line: a throw site costs one call.
    template <class E = nex_TextException, class... Args>
    [[noreturn]] static void Raise(const char* file, int line, const char* format,
                                   const Args&... args) {
        static_assert(std::is_base_of_v<nex_Exception, E>,
                      "nex_Message::Raise throws nex_Exception and the classes derived from it");
        E(Format(format, {Arg(args)...})).Throw(file, line);
    }

    // The same for a message that names its own place (the file and the object): a reader
    // that catches it adds no place in front (see nex_Exception::MarkPlaced).
    template <class E = nex_TextException, class... Args>
    [[noreturn]] static void RaisePlaced(const char* file, int line, const char* format,
                                         const Args&... args) {
        static_assert(std::is_base_of_v<nex_Exception, E>,
                      "nex_Message::RaisePlaced throws nex_Exception and the classes derived "
                      "from it");
        E failure(Format(format, {Arg(args)...}));
        failure.MarkPlaced();
        failure.Throw(file, line);
    }
};
