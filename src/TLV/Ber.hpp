#pragma once
// BER-TLV card files to tag dictionaries.
//
// A walk starts at the first element (or, with fistTagLengthSkip, inside it: the tag and length of
// the first element are stepped over and the walk runs over its value) and stores, under the tag's
// upper-case hex text, each element whose tag is in the list. A tag met twice keeps its last value.
// The walk ends, keeping what it has gathered, at:
//   - the end of the data (or of the first element's value when it was entered),
//   - the filler FF FF where a tag should start,
//   - a tag that is not in the list,
//   - a length byte 80 (indefinite length, which card files never use),
//   - an element cut short: a tag or length that runs past the end, or a value longer than what
//     is left (absurd long-form lengths included).
// Nothing is ever read past the end of the data, and nothing throws.
//
// Lengths: 00-7F is the length; 81-FF give in the low seven bits the number of length bytes that
// follow, most significant first.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"

namespace ekyc {

class Ber {
 public:
  using TagDictionary = std::map<std::string, Bytes>;

  // The value stored under `tag`, absent when the dictionary has none.
  static std::optional<Bytes> entry(const TagDictionary& dictionary, const std::string& tag);

  // Tags of one byte, or of two when the low five bits of the first byte are all set (1F excepted,
  // which stays a one-byte tag): "DF22", "7F21", "5F4E". Values are stored.
  TagDictionary parse(const Bytes& tlvData, const std::vector<std::string>& tagList, bool fistTagLengthSkip) const;

  // As parse, but each stored value is the whole element: tag bytes, length bytes, value bytes.
  TagDictionary parseToTLV(const Bytes& tlvData, const std::vector<std::string>& tagList,
                           bool fistTagLengthSkip) const;

  // Whether the walk over `tlvData` (entering the first element with fistTagLengthSkip), taking
  // every tag as listed, ends at the end of the data or at the filler: no element cut short and no
  // indefinite length, the entered first element included.
  bool isWhole(const Bytes& tlvData, bool fistTagLengthSkip) const;

  // The driving licence's tag rule: only 5F 40 is a two-byte tag; every other byte is a tag alone.
  TagDictionary parseForDriverLicense(const Bytes& tlvData, const std::vector<std::string>& tagList,
                                      bool fistTagLengthSkip) const;

  // The tag rule of the licence data on the Individual Number Card: one byte, except that 01
  // followed by 00-0D forms the two-byte tags "0100" to "010D". A length byte 80 ends the walk with
  // the console line "構造体error".
  TagDictionary parseForMynaDriverLicense(const Bytes& tlvData, const std::vector<std::string>& tagList,
                                          bool fistTagLengthSkip) const;
};

}  // namespace ekyc
