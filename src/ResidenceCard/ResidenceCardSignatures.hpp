#pragma once
// The signatures of a residence card (DF3, file 02): the check code (DA, 256 bytes) and the
// certificate of the key that made it (DB, 1200 bytes: the DER certificate, then 00 fill).
#include <optional>

#include "Extension/Bytes.hpp"

namespace ekyc {

class ResidenceCardSignatures {
 public:
  std::optional<Bytes> checkCode;
  std::optional<Bytes> certificate;

  ResidenceCardSignatures(std::optional<Bytes> checkCode, std::optional<Bytes> certificate);
  virtual ~ResidenceCardSignatures() = default;

  virtual std::optional<Bytes> getCertificate() const { return certificate; }
  virtual std::optional<Bytes> getCheckCode() const { return checkCode; }
};

}  // namespace ekyc
