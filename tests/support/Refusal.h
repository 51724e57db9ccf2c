// What a call that must be refused threw. Refusal<E>(call) is the exception of type E it threw,
// or nothing and a test failure when it returned or threw something else; RefusalText is the
// message, empty then.
//
//   EXPECT_MENTIONS(RefusalText([&] { map.Get(12345); }), "key 12345");
#pragma once

#include "nex_Exception.h"

#include <gtest/gtest.h>

#include <exception>
#include <optional>
#include <string>

template <class E = nex_Exception, class F>
std::optional<E> Refusal(F&& call) {
    try {
        call();
    } catch (const E& e) {
        return e;
    } catch (const std::exception& e) {
        ADD_FAILURE() << "refused with another exception: " << e.what();
        return std::nullopt;
    }
    ADD_FAILURE() << "nothing was thrown";
    return std::nullopt;
}

template <class E = nex_Exception, class F>
std::string RefusalText(F&& call) {
    const std::optional<E> e = Refusal<E>(call);
    return e ? e->what() : "";
}

#define EXPECT_MENTIONS(text, part)                                                                \
    EXPECT_NE(std::string(text).find(part), std::string::npos) << (text)
