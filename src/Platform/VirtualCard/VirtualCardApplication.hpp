#pragma once
// A card application (a DF) declared into a virtual card: its AID, its files with their ids and
// contents, its PIN files with their retry counters, and handlers for its own instructions.
// The card's master file is an application without AID.
//
//   auto& app = card->addApplication("JPKI", aid);
//   app.addPin(0x0018, toBytes("1234"), 3)
//      .addFile(0x000A, certificate, VirtualAccess::afterPin(0x0018))
//      .addInternalFile(0x0017)
//      .onInstruction(0x2A, computeDigitalSignature);
//
// Declare an application before the card is used; while it is in use, the card changes the PIN
// counters under its lock (read them through VirtualCard).
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/VirtualAccess.hpp"
#include "Platform/VirtualCard/VirtualFile.hpp"
#include "Platform/VirtualCard/VirtualInstructionHandler.hpp"

namespace ekyc {

class VirtualCardApplication {
 public:
  VirtualCardApplication(std::string name, Bytes aid);

  const std::string& name() const { return name_; }
  const Bytes& aid() const { return aid_; }
  bool isMasterFile() const { return aid_.empty(); }

  // A transparent file, read under the given access (always by default). A file declared again
  // with the same id replaces the earlier one.
  VirtualCardApplication& addFile(std::uint16_t id, Bytes contents, VirtualAccess readAccess = VirtualAccess(),
                                  std::optional<std::uint8_t> shortId = std::nullopt);
  // A PIN file with its reference value and the number of tries (1..15).
  VirtualCardApplication& addPin(std::uint16_t id, Bytes value, int maxTries);
  // A file only the application's handlers use (a private key, for instance).
  VirtualCardApplication& addInternalFile(std::uint16_t id, Bytes contents = {});
  // Handles one instruction while this application is selected.
  VirtualCardApplication& onInstruction(std::uint8_t ins, VirtualInstructionHandler handler);

  VirtualFile* file(std::uint16_t id);
  const VirtualFile* file(std::uint16_t id) const;
  VirtualFile* fileByShortId(std::uint8_t shortId);
  const VirtualInstructionHandler* handler(std::uint8_t ins) const;

 private:
  std::string name_;
  Bytes aid_;
  std::map<std::uint16_t, VirtualFile> files_;
  std::map<std::uint8_t, VirtualInstructionHandler> handlers_;
};

}  // namespace ekyc
