#pragma once
// An elementary file of a virtual card application.
#include <cstdint>
#include <optional>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/VirtualAccess.hpp"

namespace ekyc {

enum class VirtualFileKind {
  transparent,  // data read with READ BINARY under its read access
  pin,          // a PIN: contents is the reference value; VERIFY checks it while it is selected
  internal,     // selectable, never readable: what the application's own instructions use (a key)
};

struct VirtualFile {
  std::uint16_t id = 0;
  VirtualFileKind kind = VirtualFileKind::transparent;
  Bytes contents;
  VirtualAccess readAccess;
  // Short EF identifier (1..30) for READ BINARY with P1 bit 8 set.
  std::optional<std::uint8_t> shortId;
  // PIN files: tries allowed (1..15) and tries left; 0 left means locked.
  int maxTries = 0;
  int triesLeft = 0;
};

}  // namespace ekyc
