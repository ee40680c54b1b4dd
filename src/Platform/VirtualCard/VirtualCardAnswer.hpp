#pragma once
// What a virtual card gives its reader for one command: the answer bytes (response data then the
// status word, or whatever a fault makes of them), after an optional delay, or nothing because the
// card has left the field.
#include <chrono>

#include "Extension/Bytes.hpp"

namespace ekyc {

struct VirtualCardAnswer {
  Bytes bytes;
  bool removed = false;
  std::chrono::milliseconds delay{0};
};

}  // namespace ekyc
