#pragma once
// One address entry of a residence card (DF2, file 01): the date (D2), the code (D3) and the
// address (D4), each absent when the card left it all 00 bytes.
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class ResidenceCardAddresses {
 public:
  ResidenceCardAddresses(std::optional<Bytes> date, std::optional<Bytes> code, std::optional<Bytes> address);
  virtual ~ResidenceCardAddresses() = default;

  const std::optional<Bytes>& date() const { return date_; }
  const std::optional<Bytes>& code() const { return code_; }
  const std::optional<Bytes>& address() const { return address_; }

  // UTF-8 text of each value; the empty text when it is absent or not UTF-8 (never absent).
  virtual std::optional<std::string> getDate() const;
  virtual std::optional<std::string> getCode() const;
  virtual std::optional<std::string> getAddress() const;

 private:
  std::optional<Bytes> date_;
  std::optional<Bytes> code_;
  std::optional<Bytes> address_;
};

}  // namespace ekyc
