#pragma once
// The error handler of the commands that have one: an unexpected error inside the
// command (a failing port adapter, say) runs `onError` (CommModule::FailOnRunTimeError:
// LinkError, LinkAbort and CommError) and ends the command with its failure value.
// The end of the program passes through untouched.

#include <exception>

#include "platform/EventPump.h"

namespace vor {

template <class Body, class OnError>
auto CatchRunTimeError(Body&& body, OnError&& onError) -> decltype(body()) {
    try {
        return body();
    } catch (const ProgramEnding&) {
        throw;
    } catch (const std::exception&) {
        return onError();
    }
}

}  // namespace vor
