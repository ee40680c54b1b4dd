// The checks of the card-surface and input-support files over any file, and what the readers take
// from a file that passes: a sound file gives present values of the size the format fixes, and
// one that also holds the elements a request requires gives every element the readers need; an
// empty template followed by filler is sound and gives nothing, but an empty 7F21 gives an empty
// certificate.
// fuzz-sources: Reader/CardFileFormat.cpp CardPrintInfo/CardPrintInfo.cpp
// fuzz-parser: Reader/CardFileFormat.cpp
#include <algorithm>
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
  if (CardFileFormat::isCardSurfaceFile(file) &&
      CardFileFormat::holdsAll(file, tag.CARD_PRINT_INFO,
                               {tag.CARD_P_INFO_DATEOFBIRTH, tag.CARD_P_INFO_GENDER, tag.CARD_P_INFO_IN_CERT,
                                tag.CARD_P_INFO_NAME, tag.CARD_P_INFO_ADD, tag.CARD_P_INFO_PHOTO})) {
    const auto whole = ber.parseToTLV(file, tag.CARD_PRINT_INFO, true);
    if (!CardPrintInfo::imageElements(whole) || !CardPrintInfo::imageDigests(whole)) __builtin_trap();
  }
  if (CardFileFormat::isNumberImageFile(file) &&
      CardFileFormat::holdsAll(file, tag.MYNUMBER_INFO, {tag.MYNUMBER_IMG, tag.MYNUMBER_INTERNAL_KEY})) {
    const auto whole = ber.parseToTLV(file, tag.MYNUMBER_INFO, true);
    if (!Ber::entry(whole, tag.MYNUMBER_IMG) || !Ber::entry(whole, tag.MYNUMBER_INTERNAL_KEY)) __builtin_trap();
  }
  if (CardFileFormat::isNumberFile(file)) {
    const auto number = Ber::entry(ber.parse(file, tag.MYNUMBER, false), tag.MYNUMBER.front());
    if (number && !CardFileFormat::isMyNumber(*number)) __builtin_trap();
  }
  if (CardFileFormat::isIntegrityFile(file, {tag.MYNUMBER_HASH_NUMBER})) {
    const auto values = ber.parse(file, tag.MYNUMBER_HASH, true);
    const auto h1 = Ber::entry(values, tag.MYNUMBER_HASH_NUMBER);
    if (h1 && h1->size() != 32) __builtin_trap();
  }
  if (CardFileFormat::isBasicItemsFile(file) &&
      CardFileFormat::holdsAll(file, tag.BASIC_PERSONAL_INFO, {tag.BASIC_P_INFO_NAME, tag.BASIC_P_INFO_GENDER})) {
    const auto whole = ber.parseToTLV(file, tag.BASIC_PERSONAL_INFO, true);
    if (!Ber::entry(whole, tag.BASIC_P_INFO_GENDER)) __builtin_trap();
  }
  if (CardFileFormat::isCertificateFile(file)) {
    const auto certificate = CardFileFormat::certificate(file);
    if (certificate && !ber.isWhole(*certificate, false)) __builtin_trap();
  }
  // An empty template followed by filler: the file is sound and holds nothing; 7F21, stored whole,
  // is then an empty certificate.
  if (file.size() >= 3 && file[2] == 0x00 &&
      std::all_of(file.begin() + 3, file.end(), [](std::uint8_t b) { return b == 0xFF; })) {
    if (file[0] == 0xFF && file[1] == 0x20 &&
        (!CardFileFormat::isCardSurfaceFile(file) || CardFileFormat::holdsAll(file, tag.CARD_PRINT_INFO, {tag.CARD_P_INFO_NAME}))) {
      __builtin_trap();
    }
    if (file[0] == 0x7F && file[1] == 0x21 &&
        (!CardFileFormat::isCertificateFile(file) || CardFileFormat::certificate(file) != Bytes{})) {
      __builtin_trap();
    }
  }
  return 0;
}
