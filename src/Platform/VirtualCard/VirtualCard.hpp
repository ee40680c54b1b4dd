#pragma once
// An ISO/IEC 7816-4 card emulator. Card applications are declared into it (VirtualCardApplication);
// it answers SELECT (by AID with P1 04; by file id with P1 02 or 00, 3F00 and the empty
// 00 A4 00 00 selecting the master file), READ BINARY (offset in P1 P2 or a short EF identifier in
// P1, short or extended Le; min(Le, rest of file) with 9000), VERIFY (a retry counter per PIN file:
// 63Cn, 63C0 when it locks, 6984 once locked, 9000 resets it) and GET RESPONSE, keeps the security
// status per application, answers 6A82 for an unknown file or application and 6D00 for an unknown
// instruction. Instruction handlers of the selected application, then of the card, run before
// the built-in processing.
//
// It logs every command and answer, and plays faults (VirtualCardFault): a status word, an odd
// answer, a truncated answer or a delay at command N, or the card leaving the field at command N.
// A card may also be one that is not ISO 7816 at all.
//
// Thread-safe: a reader's thread sends commands while a test reads the log.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/VirtualApduLogEntry.hpp"
#include "Platform/VirtualCard/VirtualCardAnswer.hpp"
#include "Platform/VirtualCard/VirtualCardApplication.hpp"
#include "Platform/VirtualCard/VirtualCardFault.hpp"
#include "Platform/VirtualCard/VirtualCommand.hpp"
#include "Platform/VirtualCard/VirtualInstructionHandler.hpp"
#include "Platform/VirtualCard/VirtualResponse.hpp"

namespace ekyc {

class VirtualCard {
 public:
  // The name of the master file among the applications.
  static inline const std::string MASTER_FILE = "MF";

  explicit VirtualCard(std::string name = "virtual card");
  VirtualCard(const VirtualCard&) = delete;
  VirtualCard& operator=(const VirtualCard&) = delete;

  const std::string& name() const { return name_; }

  // Declaration, before the card is used.
  VirtualCardApplication& masterFile();
  VirtualCardApplication& addApplication(std::string name, Bytes aid);
  VirtualCardApplication* application(const std::string& name);
  // Handles an instruction whatever application is selected (after that application's handler).
  VirtualCard& onInstruction(std::uint8_t ins, VirtualInstructionHandler handler);

  // The answer to reset; by default that of a contactless ISO 14443-4 card seen through PC/SC
  // (3B 80 80 01 01, T=1).
  void setATR(Bytes atr);
  Bytes atr() const;
  // A card that is not ISO 7816 (a tag of another kind) takes no commands.
  void setISO7816(bool iso7816);
  bool isISO7816() const;
  // Answers with more data than this come in parts: the first part with 61xx, the rest through
  // GET RESPONSE. 0 (the default): whole answers.
  void setResponseChunkSize(std::size_t size);
  // A short READ BINARY asking for more than the rest of the file gets 6Cxx with the exact length
  // instead of the shorter data (off by default).
  void setExactLengthRequired(bool required);

  // Faults.
  void addFault(VirtualCardFault fault);
  void clearFaults();

  // Presence in the field.
  bool isRemoved() const;
  void remove();
  void reinsert();

  // Power-on (a reader connecting) resets the selection to the master file, the security status
  // and the command count; the PIN counters stay.
  void powerOn();
  void powerOff();
  // One command as the reader delivers it.
  VirtualCardAnswer transmit(const Bytes& command);

  // PIN counters; absent when there is no such PIN file.
  std::optional<int> pinTriesLeft(const std::string& application, std::uint16_t pin) const;
  void setPinTriesLeft(const std::string& application, std::uint16_t pin, int triesLeft);

  // The log of every command since creation or clearLog().
  std::vector<VirtualApduLogEntry> log() const;
  std::vector<Bytes> commands() const;
  void clearLog();
  // Commands received since power-on.
  std::size_t commandCount() const;

 private:
  friend class VirtualCardContext;
  struct Security {
    std::set<std::uint16_t> verified;
    std::map<std::string, Bytes> values;
  };

  VirtualCardApplication* findApplication(const std::string& name) const;
  VirtualResponse process(const VirtualCommand& command, std::size_t index);
  VirtualResponse builtIn(const VirtualCommand& command);
  VirtualResponse select(const VirtualCommand& command);
  VirtualResponse readBinary(const VirtualCommand& command);
  VirtualResponse verify(const VirtualCommand& command);
  VirtualResponse getResponse(const VirtualCommand& command);
  VirtualResponse inParts(VirtualResponse response);
  void resetSession();

  const std::string name_;
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<VirtualCardApplication>> applications_;  // [0] is the master file
  std::map<std::uint8_t, VirtualInstructionHandler> cardHandlers_;
  Bytes atr_;
  bool iso7816_ = true;
  std::size_t chunkSize_ = 0;
  bool exactLength_ = false;
  std::vector<VirtualCardFault> faults_;
  bool removed_ = false;

  // The card session (since power-on).
  VirtualCardApplication* current_ = nullptr;
  VirtualFile* currentFile_ = nullptr;
  std::map<const VirtualCardApplication*, Security> security_;
  std::map<std::string, Bytes> cardValues_;
  Bytes pendingData_;
  std::uint16_t pendingSw_ = 0x9000;
  bool hasPending_ = false;
  std::size_t commandCount_ = 0;

  std::vector<VirtualApduLogEntry> log_;
};

}  // namespace ekyc
