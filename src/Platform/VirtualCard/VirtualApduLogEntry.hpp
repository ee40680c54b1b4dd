#pragma once
// One command a virtual card received and what it answered (empty with removed set when the card
// left the field instead of answering).
#include "Extension/Bytes.hpp"

namespace ekyc {

struct VirtualApduLogEntry {
  Bytes command;
  Bytes answer;
  bool removed = false;
};

}  // namespace ekyc
