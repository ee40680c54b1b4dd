#pragma once
// The four basic items (name, gender, date of birth, address) as the JPKI signature certificate
// carries them, with the substitute-character positions of the name and the address, the name
// split into the current and the previous name, and a hash over the four items.
#include <map>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class BasicPersonalInfo {
 public:
  BasicPersonalInfo(std::optional<Bytes> allName, std::optional<Bytes> commonName, bool isIncludePreviousName,
                    std::optional<Bytes> previousName, std::optional<Bytes> gender, std::optional<Bytes> dateOfBirth,
                    std::optional<Bytes> address, std::optional<Bytes> subCharOfAllName,
                    std::optional<Bytes> subCharOfCommonName, std::optional<Bytes> subCharOfPreviousName,
                    std::optional<Bytes> subCharOfAddress, std::optional<Bytes> yearNumber);

  // The stored items as bytes (absent: the item is absent).
  const std::optional<Bytes>& allName() const { return allName_; }
  const std::optional<Bytes>& commonName() const { return commonName_; }
  bool includePreviousName() const { return includePreviousName_; }
  const std::optional<Bytes>& previousName() const { return previousName_; }
  const std::optional<Bytes>& gender() const { return gender_; }
  const std::optional<Bytes>& dateOfBirth() const { return dateOfBirth_; }
  const std::optional<Bytes>& address() const { return address_; }
  const std::optional<Bytes>& subCharOfCommonName() const { return subCharOfCommonName_; }
  const std::optional<Bytes>& subCharOfAllName() const { return subCharOfAllName_; }
  const std::optional<Bytes>& subCharOfPreviousName() const { return subCharOfPreviousName_; }
  const std::optional<Bytes>& subCharOfAddress() const { return subCharOfAddress_; }
  const std::optional<Bytes>& yearNumber() const { return yearNumber_; }

  // The 13 members, every one a text ("" for an absent item).
  std::map<std::string, std::string> asDictionary() const;
  // Compact JSON of asDictionary.
  std::string toJson() const;

  bool isIncludePreviousName() const { return includePreviousName_; }
  // The items as UTF-8 text: absent when the item is absent, "" when it is not valid UTF-8.
  std::optional<std::string> getAllName() const;
  std::optional<std::string> getCommonName() const;
  std::optional<std::string> getPreviousName() const;
  std::optional<std::string> getAddress() const;
  std::optional<std::string> getDateOfBirth() const;
  std::optional<std::string> getYearNumber() const;
  std::optional<std::string> getGender() const;
  std::optional<std::string> getSubCharOfAllName() const;
  std::optional<std::string> getSubCharOfCommonName() const;
  std::optional<std::string> getSubCharOfPreviousName() const;
  std::optional<std::string> getSubCharOfAddress() const;
  // Base64 of SHA-256 over allName, gender, dateOfBirth and address joined as stored; absent when
  // one of them is absent.
  std::optional<std::string> getBasicPersonalInfoHash() const;

 private:
  std::optional<Bytes> allName_;
  std::optional<Bytes> commonName_;
  bool includePreviousName_;
  std::optional<Bytes> previousName_;
  std::optional<Bytes> gender_;
  std::optional<Bytes> dateOfBirth_;
  std::optional<Bytes> address_;
  std::optional<Bytes> subCharOfCommonName_;
  std::optional<Bytes> subCharOfAllName_;
  std::optional<Bytes> subCharOfPreviousName_;
  std::optional<Bytes> subCharOfAddress_;
  std::optional<Bytes> yearNumber_;
};

}  // namespace ekyc
