// libFuzzer target: the residence card's files as the reader reads them (card type, the decrypted
// front image and photo, the signatures file, the address file) and the record built from what
// they give, with its verification values and JSON. Nothing may crash or read past the end.
// fuzz-sources: ResidenceCard/ResidenceCardFiles.cpp ResidenceCard/ResidenceCard.cpp
// fuzz-sources: ResidenceCard/ResidenceCardAddresses.cpp ResidenceCard/ResidenceCardSignatures.cpp
#include <cstddef>
#include <cstdint>

#include "ResidenceCard/ResidenceCard.hpp"
#include "ResidenceCard/ResidenceCardFiles.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ekyc;
  const Bytes file(data, data + size);
  const auto type = ResidenceCardFiles::cardTypeNumber(file);
  const auto front = ResidenceCardFiles::protectedFileValue(file, true);
  const auto photo = ResidenceCardFiles::protectedFileValue(file, false);
  if ((front && front->size() != 7000) || (photo && photo->size() != 3000)) __builtin_trap();
  const auto signatures = ResidenceCardFiles::signaturesFile(file);
  if (signatures && (signatures->first.size() != 256 || signatures->second.size() != 1200)) __builtin_trap();
  const ConstTag tag;
  const auto found = Ber().parse(file, tag.RESIDENCE_CARD_ADDRESSES, false);
  ResidenceCardAddresses addresses(Ber::entry(found, tag.RESIDENCE_CARD_ADDRESSES_DATE),
                                   Ber::entry(found, tag.RESIDENCE_CARD_ADDRESSES_CODE),
                                   Ber::entry(found, tag.RESIDENCE_CARD_ADDRESSES_ADDRESS));
  std::optional<ResidenceCardSignatures> signed_;
  if (signatures) signed_.emplace(signatures->first, signatures->second);
  // The record with the raw input in every field it takes bytes in, whatever its length.
  const ResidenceCard card(file, type.value_or(0), file, front ? front : std::optional<Bytes>(file), addresses, file,
                           file, type == 1, 0, signed_, file, file);
  (void)card.toJson();
  (void)card.getRawData();
  (void)card.getHashData();
  return 0;
}
