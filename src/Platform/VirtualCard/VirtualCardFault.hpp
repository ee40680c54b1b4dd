#pragma once
// A fault a virtual card plays, at one command (counted from 1 since the card was powered on) or at
// every command, optionally only for commands that match a rule.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/VirtualCommand.hpp"

namespace ekyc {

struct VirtualCardFault {
  enum class Kind {
    statusWord,  // answer this status word alone instead of processing the command
    removeCard,  // the card leaves the field: this command and every later one get no answer
    answer,      // answer these bytes as they are (empty, one byte, anything) instead of processing
    truncate,    // process the command, then keep only the first bytes of the response data
    delay,       // process the command, answering after a delay
  };

  Kind kind = Kind::statusWord;
  std::optional<std::size_t> atCommand{};  // absent: every command
  std::function<bool(const VirtualCommand&)> matches;  // absent: any command
  std::uint16_t sw = 0;
  Bytes answerBytes;
  std::size_t keep = 0;
  std::chrono::milliseconds delay{0};

  static VirtualCardFault statusWordAt(std::size_t command, std::uint16_t sw);
  static VirtualCardFault removedAt(std::size_t command);
  static VirtualCardFault answerAt(std::size_t command, Bytes answer);
  static VirtualCardFault truncatedAt(std::size_t command, std::size_t keep);
  static VirtualCardFault delayAt(std::size_t command, std::chrono::milliseconds delay);
  static VirtualCardFault delayEach(std::chrono::milliseconds delay);

  // Whether the fault applies to the command with this index (from 1).
  bool appliesTo(std::size_t index, const VirtualCommand* command) const;
};

}  // namespace ekyc
