#pragma once
// The boundary between the library and the host's code. A host callback (the NFC-sheet presenter,
// the view controller, a PIN dialog's completion, a request's delegate, the facade's back channel)
// must not throw: one that does ends the program at once through std::terminate, with the
// exception's text on stderr, on whichever thread it ran. An exception is never let out into the
// library, where it would leave a request without its result or a card claimed by a request half
// done. The host-facing interfaces stay as they are; each call of host code is wrapped here.
#include <memory>
#include <utility>

namespace ekyc {

// Writes "nfc-ekyc: <who> threw ..." with the exception's text on stderr and ends the program.
// Called only from inside a catch handler.
[[noreturn]] void hostCodeThrew(const char* who) noexcept;

// Runs `call` (host code); `who` names the callback in the line written when it throws.
template <class Call>
void callHost(const char* who, Call&& call) noexcept {
  try {
    std::forward<Call>(call)();
  } catch (...) {
    hostCodeThrew(who);
  }
}

// Runs `call` with the host's result delegate, when there is one:
//   deliverToHost(delegate, [&](auto& host) { host.didGetMyNumberInfo(std::unexpected(error)); });
template <class Delegate, class Call>
void deliverToHost(const std::shared_ptr<Delegate>& delegate, Call&& call) noexcept {
  if (delegate) callHost("the request's delegate", [&] { std::forward<Call>(call)(*delegate); });
}

}  // namespace ekyc
