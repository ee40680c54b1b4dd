#pragma once
// What the files of the card-surface and input-support applications promise, checked once for
// every reader that hands them out: a file passes only when it holds, whole, every element its
// format requires, each with a value (of the fixed size where the format fixes one). A file that
// lacks one, holds it empty, or cuts it short (an element whose length runs past its container,
// which the BER walk drops) does not pass, and the reader ends with its card-read failure (13999).
//
// Required elements (optional ones stay optional):
//   - EF 0004 of either application: 7F21 { 5F4E, 5F37 } (the card-verifiable certificate);
//   - input-support EF 0001: FF10 holding exactly 12 ASCII digits (the individual number);
//   - input-support EF 0002: FF20 { DF22 name, DF23 address, DF24 date of birth, DF25 gender }
//     (DF21, the address map, is not used);
//   - input-support EF 0003: FF30 { DF31 and DF32, 32-byte SHA-256 digests, DF33 the signature };
//   - card-surface EF 0002: FF20 { DF22 .. DF2A } (DF21, the address map, is not used);
//   - card-surface EF 0005: FF40 { DF41 number image, DF42 key data, DF43 the signature }.
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"

namespace ekyc {

class CardFileFormat {
 public:
  // Exactly 12 ASCII digits.
  static bool isMyNumber(const Bytes& value);

  static bool isCertificateFile(const Bytes& file);
  static bool isNumberFile(const Bytes& file);
  static bool isBasicItemsFile(const Bytes& file);
  static bool isIntegrityFile(const Bytes& file);
  static bool isCardSurfaceFile(const Bytes& file);
  static bool isNumberImageFile(const Bytes& file);

 private:
  struct Required {
    std::string tag;
    std::size_t size = 0;  // 0: any non-empty value
  };
  // Whether `file` starts with a whole element of the list's first tag whose value holds every
  // required element, whole and with a value of the required size.
  static bool holds(const Bytes& file, const std::vector<std::string>& tagList, const std::vector<Required>& required);
};

}  // namespace ekyc
