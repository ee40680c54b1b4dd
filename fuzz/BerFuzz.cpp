// The BER walk over any card file: every tag rule, both modes, the tag lists the readers use.
// Nothing is read past the end, and each whole element ends with the value the value walk gives.
// fuzz-parser: TLV/Ber.cpp
#include <cstddef>
#include <cstdint>

#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"

using namespace ekyc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ConstTag tag;
  static const std::vector<std::vector<std::string>> lists{
      tag.CARD_PRINT_INFO, tag.BASIC_PERSONAL_INFO, tag.MYNUMBER, tag.MYNUMBER_HASH, tag.MYNUMBER_INFO,
      tag.BASIC_P_INFO_CERT, {"30"}, tag.LISENCE_ENTRIES, tag.COMMON_DATA};
  const Bytes file(data, data + size);
  const Ber ber;
  for (const auto& list : lists) {
    for (const bool skip : {false, true}) {
      const auto values = ber.parse(file, list, skip);
      const auto whole = ber.parseToTLV(file, list, skip);
      if (values.size() != whole.size()) __builtin_trap();
      for (const auto& [t, value] : values) {
        const auto it = whole.find(t);
        if (it == whole.end() || it->second.size() < value.size() + 2 || it->second.size() > size) __builtin_trap();
        if (!std::equal(value.rbegin(), value.rend(), it->second.rbegin())) __builtin_trap();
      }
      ber.isWhole(file, skip);
      ber.parseForDriverLicense(file, list, skip);
      ber.parseForMynaDriverLicense(file, list, skip);
    }
  }
  return 0;
}
