#pragma once
// The licence's common data (EF 2F01 of the master file): the values of tags 45 and 46, kept
// unchanged, and the getters that read them in the IC licence's layout:
//   45 issuer data      bytes 1-3 the card's format version, ASCII ("008");
//                       bytes 4-7 the date of issue, bytes 8-11 the expiry date, packed BCD YYYYMMDD
//   46 pre-issue data   byte 1 the card maker's identifier, byte 2 that of the cryptographic functions
// A getter gives absent where its value is too short for the field or the field does not hold what
// the layout says; bytes after the fields are ignored. The values are the host's to read: a reader
// never refuses a card for what they hold.
#include <cstddef>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

class LicenseCommonData {
 public:
  LicenseCommonData(Bytes issuer, Bytes issueBefore);

  // The record the file gives; absent when 45 or 46 is missing.
  static std::optional<LicenseCommonData> fromFile(const Bytes& file);

  // The value bytes of tag 45.
  const Bytes& issuer() const { return issuer_; }
  // The value bytes of tag 46.
  const Bytes& issueBefore() const { return issueBefore_; }

  // The version as it stands ("008"); absent unless its 3 bytes are printable ASCII.
  std::optional<std::string> getVersion() const;
  // "YYYYMMDD"; absent unless each of its 8 nibbles is a decimal digit.
  std::optional<std::string> getIssueDate() const;
  std::optional<std::string> getExpireDate() const;
  // Two upper-case hex characters ("1A").
  std::optional<std::string> getManufacturerID() const;
  std::optional<std::string> getEncryptionID() const;

  bool operator==(const LicenseCommonData& other) const {
    return issuer_ == other.issuer_ && issueBefore_ == other.issueBefore_;
  }

 private:
  // The field of `length` bytes at `offset`; absent when the value ends before it.
  static std::optional<Bytes> field(const Bytes& value, std::size_t offset, std::size_t length);
  std::optional<std::string> date(std::size_t offset) const;

  Bytes issuer_;
  Bytes issueBefore_;
  Utility utility_;
};

}  // namespace ekyc
