// libFuzzer target: the residence card's files as the reader reads them, one piece of the input
// each (common data, card type, the decrypted front image and photo, address, the two permissions,
// update status; the rest is the signatures file), and the record built from what they give as
// the reader builds it, with its verification values and JSON. The first byte's bit 0 puts the
// raw front image and photo pieces into the record instead (a record a host has filled, of any
// width). Nothing may crash or read past the end, the signatures have their format's widths, the
// front image and photo values at most theirs, and a decrypted file that does not start with its
// element is taken, its value absent.
// fuzz-sources: ResidenceCard/ResidenceCardFiles.cpp ResidenceCard/ResidenceCard.cpp
// fuzz-sources: ResidenceCard/ResidenceCardAddresses.cpp ResidenceCard/ResidenceCardSignatures.cpp
// fuzz-parser: ResidenceCard/ResidenceCardFiles.cpp ResidenceCard/ResidenceCard.cpp
// fuzz-parser: ResidenceCard/ResidenceCardAddresses.cpp ResidenceCard/ResidenceCardSignatures.cpp
#include <cstddef>
#include <cstdint>

#include "FuzzInput.hpp"
#include "ResidenceCard/ResidenceCard.hpp"
#include "ResidenceCard/ResidenceCardFiles.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  static const ConstTag tag;
  const Utility utility;
  fuzz::FuzzInput input(data, size);
  const bool hostFilled = input.flag();
  const Bytes commonFile = input.piece(), typeFile = input.piece(), frontFile = input.piece(),
              photoFile = input.piece(), addressFile = input.piece(), comprehensiveFile = input.piece(),
              individualFile = input.piece(), updateFile = input.piece(), signaturesFile = input.rest();
  const auto value = [](const Bytes& file, const std::vector<std::string>& tags) {
    return Ber::entry(Ber().parse(file, tags, false), tags.front());
  };

  const auto type = ResidenceCardFiles::cardTypeNumber(typeFile);
  std::optional<Bytes> front, photo;
  const bool frontTaken = ResidenceCardFiles::protectedFileValue(frontFile, true, front);
  const bool photoTaken = ResidenceCardFiles::protectedFileValue(photoFile, false, photo);
  if (!frontTaken) front.reset();
  if (!photoTaken) photo.reset();
  // A value taken is no wider than its format and its element lies within the file.
  if ((front && (front->size() > 7000 || front->size() >= frontFile.size())) ||
      (photo && (photo->size() > 3000 || photo->size() >= photoFile.size()))) {
    __builtin_trap();
  }
  const auto withoutElement = [](const Bytes& file, std::uint8_t tag) { return file.empty() || file.front() != tag; };
  if ((withoutElement(frontFile, 0xD0) && (!frontTaken || front)) ||
      (withoutElement(photoFile, 0xD1) && (!photoTaken || photo))) {
    __builtin_trap();
  }
  const auto signatures = ResidenceCardFiles::signaturesFile(signaturesFile);
  if (signatures && (signatures->first.size() != 256 || signatures->second.size() != 1200)) __builtin_trap();
  const auto found = Ber().parse(addressFile, tag.RESIDENCE_CARD_ADDRESSES, false);
  const ResidenceCardAddresses addresses(utility.binaryEmptyToNil(Ber::entry(found, tag.RESIDENCE_CARD_ADDRESSES_DATE)),
                                         utility.binaryEmptyToNil(Ber::entry(found, tag.RESIDENCE_CARD_ADDRESSES_CODE)),
                                         utility.binaryEmptyToNil(Ber::entry(found, tag.RESIDENCE_CARD_ADDRESSES_ADDRESS)));
  const auto update = value(updateFile, tag.RESIDENCE_CARD_UPDATE_STATUS);
  std::optional<ResidenceCardSignatures> signed_;
  if (signatures) {
    signed_.emplace(utility.binaryEmptyToNil(signatures->first), utility.binaryEmptyToNil(signatures->second));
  }

  const ResidenceCard card(value(commonFile, tag.RESIDENCE_CARD_COMMON_DATA), type.value_or(0),
                           hostFilled ? frontFile : front, hostFilled ? photoFile : utility.binaryEmptyToNil(photo),
                           addresses,
                           utility.binaryEmptyToNil(value(comprehensiveFile, tag.RESIDENCE_CARD_COMPREHENSIVE_PERMISSION)),
                           utility.binaryEmptyToNil(value(individualFile, tag.RESIDENCE_CARD_INDIVIDUAL_PERMISSION)),
                           update && ResidenceCardFiles::decimal(update) == 1, signed_ ? 0 : 2, signed_,
                           frontTaken || hostFilled ? std::optional(frontFile) : std::nullopt,
                           photoTaken || hostFilled ? std::optional(photoFile) : std::nullopt);
  // The JSON holds every getter's value, the verification values included.
  (void)card.toJson();
  return 0;
}
