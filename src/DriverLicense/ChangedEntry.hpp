#pragma once
// One history entry of an IC driving licence, cut into its parts: the JIS edition (byte 0), the
// date of the change (bytes 1 to 14, JIS X 0208), the new value (bytes 15 up to the last ten) and
// the issuing commission (the last 10 bytes, JIS X 0208).
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class ChangedEntry {
 public:
  ChangedEntry(std::optional<Bytes> jisYear, std::optional<Bytes> changeDate, std::optional<Bytes> value,
               std::optional<Bytes> pscName);

  const std::optional<Bytes>& jisYear() const { return jisYear_; }
  const std::optional<Bytes>& changeDate() const { return changeDate_; }
  const std::optional<Bytes>& value() const { return value_; }
  const std::optional<Bytes>& pscName() const { return pscName_; }

  // The edition byte as two hex digits, as the entries record gives its own ("01").
  std::optional<std::string> getJisYear() const;
  // JIS X 0208 text; a present but empty part gives the empty text.
  std::optional<std::string> getChangeDate() const;
  std::optional<std::string> getValue() const;
  std::optional<std::string> getPscName() const;

 private:
  std::optional<Bytes> jisYear_;
  std::optional<Bytes> changeDate_;
  std::optional<Bytes> value_;
  std::optional<Bytes> pscName_;
};

}  // namespace ekyc
