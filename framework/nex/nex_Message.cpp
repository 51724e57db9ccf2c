#include "nex_Message.h"

#include "atr_SubstituteFormat.h"
#include "atr_translate.h"

cow_String nex_Message::Format(const char* format, std::initializer_list<Arg> args) {
    atr_SubstituteFormat message{atr_translate(format)};
    int place = 1;
    for (const Arg& arg : args) {
        if (arg.Text())
            message.Substitute(place, arg.Text());
        else
            message.Substitute(place, arg.Number());
        ++place;
    }
    return message.Result();
}
