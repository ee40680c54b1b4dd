// The checks of the card-surface and input-support files over any file, and what the readers take
// from a file that passes: a file that passes gives every element the readers need.
// fuzz-sources: Reader/CardFileFormat.cpp CardPrintInfo/CardPrintInfo.cpp
// fuzz-parser: Reader/CardFileFormat.cpp
#include <cstddef>
#include <cstdint>

#include "CardPrintInfo/CardPrintInfo.hpp"
#include "Reader/CardFileFormat.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"

using namespace ekyc;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ConstTag tag;
  const Bytes file(data, data + size);
  const Ber ber;
  if (CardFileFormat::isCardSurfaceFile(file)) {
    const auto whole = ber.parseToTLV(file, tag.CARD_PRINT_INFO, true);
    if (!CardPrintInfo::imageElements(whole) || !CardPrintInfo::imageDigests(whole)) __builtin_trap();
    if (!Ber::entry(ber.parse(file, tag.CARD_PRINT_INFO, true), tag.CARD_P_INFO_SECURITY_CODE)) __builtin_trap();
  }
  if (CardFileFormat::isNumberImageFile(file)) {
    const auto whole = ber.parseToTLV(file, tag.MYNUMBER_INFO, true);
    if (!Ber::entry(whole, tag.MYNUMBER_IMG) || !Ber::entry(whole, tag.MYNUMBER_INTERNAL_KEY)) __builtin_trap();
  }
  if (CardFileFormat::isNumberFile(file)) {
    const auto number = Ber::entry(ber.parse(file, tag.MYNUMBER, false), tag.MYNUMBER.front());
    if (!number || !CardFileFormat::isMyNumber(*number)) __builtin_trap();
  }
  if (CardFileFormat::isIntegrityFile(file)) {
    const auto values = ber.parse(file, tag.MYNUMBER_HASH, true);
    const auto h1 = Ber::entry(values, tag.MYNUMBER_HASH_NUMBER);
    if (!h1 || h1->size() != 32 || !Ber::entry(values, tag.MYNUMBER_HASH_SIGNATURE)) __builtin_trap();
  }
  if (CardFileFormat::isBasicItemsFile(file)) {
    const auto whole = ber.parseToTLV(file, tag.BASIC_PERSONAL_INFO, true);
    if (!Ber::entry(whole, tag.BASIC_P_INFO_GENDER)) __builtin_trap();
  }
  if (CardFileFormat::isCertificateFile(file)) {
    const auto certificate = Ber::entry(ber.parse(file, tag.BASIC_P_INFO_CERT, false), tag.BASIC_P_INFO_CERT.front());
    if (!certificate || certificate->empty()) __builtin_trap();
  }
  return 0;
}
