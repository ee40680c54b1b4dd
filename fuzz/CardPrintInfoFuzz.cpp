// The card-surface record over any card-surface file and basic-items file, built as the readers
// build it: the dictionary and its JSON.
// fuzz-sources: CardPrintInfo/CardPrintInfo.cpp
// fuzz-parser: CardPrintInfo/CardPrintInfo.cpp
#include <cstddef>
#include <cstdint>

#include "CardPrintInfo/CardPrintInfo.hpp"
#include "FuzzInput.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"

using namespace ekyc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ConstTag tag;
  fuzz::FuzzInput input(data, size);
  const Bytes surface = input.piece();
  const Bytes items = input.rest();
  const Ber ber;
  const auto record = CardPrintInfo::fromCardFiles(
      ber.parse(items, tag.BASIC_PERSONAL_INFO, true), ber.parse(surface, tag.CARD_PRINT_INFO, true), std::nullopt,
      std::nullopt, std::nullopt, std::nullopt, std::nullopt,
      CardPrintInfo::imageElements(ber.parseToTLV(surface, tag.CARD_PRINT_INFO, true)), std::nullopt);
  record.asDictionary();
  record.toJson();
  return 0;
}
