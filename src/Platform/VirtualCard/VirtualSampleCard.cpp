#include "Platform/VirtualCard/VirtualSampleCard.hpp"

#include "Platform/VirtualCard/VirtualCard.hpp"

namespace ekyc {

std::shared_ptr<VirtualCard> VirtualSampleCard::make(const std::string& pin) {
  auto card = std::make_shared<VirtualCard>("sample card");
  card->addApplication(APPLICATION, AID)
      .addPin(PIN_FILE, toBytes(pin), PIN_TRIES)
      .addFile(PROTECTED_FILE, protectedContents(), VirtualAccess::afterPin(PIN_FILE))
      .addFile(FREE_FILE, freeContents(), VirtualAccess::always(), FREE_FILE_SHORT_ID);
  return card;
}

Bytes VirtualSampleCard::protectedContents() {
  Bytes contents(PROTECTED_SIZE);
  for (std::size_t i = 0; i < contents.size(); ++i) contents[i] = static_cast<std::uint8_t>((i * 7 + i / 256) & 0xFF);
  return contents;
}

Bytes VirtualSampleCard::freeContents() {
  Bytes contents = toBytes("SAMPLE-CARD-0001");
  contents.push_back(0x00);
  return contents;  // 17 bytes
}

}  // namespace ekyc
