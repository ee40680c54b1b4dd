#pragma once
// What an instruction handler sees of a virtual card while it handles one command: the selected
// application and file, the security status, state the application keeps for the card session,
// and the card's built-in processing.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/VirtualCommand.hpp"
#include "Platform/VirtualCard/VirtualResponse.hpp"

namespace ekyc {

class VirtualCard;
class VirtualCardApplication;
struct VirtualFile;

class VirtualCardContext {
 public:
  // Made by the card for each command; a handler must not call the card's own (locking) methods.
  VirtualCardContext(VirtualCard& card, std::size_t commandIndex);

  // The selected application; the master file when none is.
  VirtualCardApplication& application() const;
  // The selected file of that application; null when none is.
  VirtualFile* currentFile() const;
  // Selects a file of the selected application; false when it has no such file.
  bool selectFile(std::uint16_t id);

  // Security status of the selected application (reset when it is selected again).
  bool isPinVerified(std::uint16_t pin) const;
  void setPinVerified(std::uint16_t pin, bool verified);
  // Security status of the master file (kept until the card is powered off).
  bool isMasterFilePinVerified(std::uint16_t pin) const;

  // Values the selected application keeps for the card session (its keys, counters...), reset
  // with its security status.
  std::map<std::string, Bytes>& applicationValues();
  // Values kept for the whole card session (a secure-messaging channel opened in the MF and used
  // in a DF, say), reset at power-on.
  std::map<std::string, Bytes>& cardValues();

  // The card's built-in processing of a command (SELECT, READ BINARY, VERIFY, GET RESPONSE), without
  // instruction handlers and faults.
  VirtualResponse standard(const VirtualCommand& command);
  // The index of the command being handled, from 1 since power-on.
  std::size_t commandIndex() const { return commandIndex_; }

 private:
  VirtualCard& card_;
  std::size_t commandIndex_;
};

}  // namespace ekyc
