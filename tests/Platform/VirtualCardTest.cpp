// The virtual card emulator, driven with raw command APDUs: scripts of commands and the status
// words they must get (SELECT, READ BINARY refusals, VERIFY counters, security status, malformed
// commands). What the emulator answers when it serves, and its faults, are what every reader test
// relies on: a wrong answer or a fault that does not happen fails those.
#include <gtest/gtest.h>

#include "Platform/NFCISO7816APDU.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualSampleCard.hpp"
#include "Platform/PlatformTestSupport.hpp"

using namespace ekyc;
using namespace ekyc::test;

namespace {

std::uint16_t sw(const Bytes& answer) {
  return answer.size() < 2 ? 0 : static_cast<std::uint16_t>((answer[answer.size() - 2] << 8) | answer.back());
}

// A command and the status word it must get; an empty command powers the card on.
struct Step {
  Bytes command;
  std::uint16_t sw = 0;
};

class VirtualCardTest : public ::testing::Test {
 protected:
  Bytes send(const Bytes& raw) { return card->transmit(raw).bytes; }
  void script(const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
      if (steps[i].command.empty()) {
        card->powerOn();
        continue;
      }
      EXPECT_EQ(sw(send(steps[i].command)), steps[i].sw) << "step " << i;
    }
  }

  std::shared_ptr<VirtualCard> card = VirtualSampleCard::make();
  const Bytes app = selectSampleApplication().encoded();
  const Bytes pinFile = selectFile(VirtualSampleCard::PIN_FILE).encoded();
  const Bytes protectedFile = selectFile(VirtualSampleCard::PROTECTED_FILE).encoded();
  const Bytes freeFile = selectFile(VirtualSampleCard::FREE_FILE).encoded();
  const Bytes right = verifyPin("1234").encoded();
  const Bytes wrong = verifyPin("0000").encoded();
  const Bytes read1 = readBinary(1).encoded();
};

TEST_F(VirtualCardTest, StatusWordsOfCommandScripts) {
  const Bytes powerOn;
  script({
      // SELECT: by AID, by file id, the empty MF SELECT (case 1) and 3F00, which has no such EF.
      {app, 0x9000}, {Bytes{0x00, 0xA4, 0x04, 0x0C, 0x03, 0xD3, 0x92, 0xF0}, 0x6A82}, {freeFile, 0x9000},
      {selectFile(0x1234).encoded(), 0x6A82}, {Bytes{0x00, 0xA4, 0x00, 0x00}, 0x9000}, {freeFile, 0x6A82},
      {Bytes{0x00, 0xA4, 0x00, 0x0C, 0x02, 0x3F, 0x00}, 0x9000}, {Bytes{0x00, 0xA4, 0x08, 0x0C, 0x02, 0x3F, 0x00}, 0x6A86},
      // READ BINARY refusals: no current file, PIN not verified, a PIN file.
      {powerOn}, {read1, 0x6986}, {app, 0x9000}, {protectedFile, 0x9000}, {read1, 0x6982}, {pinFile, 0x9000},
      {read1, 0x6981},
      // VERIFY: counter query, count down, reset by the right PIN, lock; locked across power-on.
      {Bytes{0x00, 0x20, 0x00, 0x80}, 0x63C3}, {wrong, 0x63C2}, {right, 0x9000}, {wrong, 0x63C2},
      {verifyPin("0001").encoded(), 0x63C1}, {verifyPin("0002").encoded(), 0x63C0}, {right, 0x6984},
      {powerOn}, {app, 0x9000}, {pinFile, 0x9000}, {right, 0x6984},
      // Malformed and unknown commands.
      {Bytes{0x00, 0x12, 0x00, 0x00}, 0x6D00}, {Bytes{0x00, 0xA4, 0x04}, 0x6700},
      {Bytes{0x00, 0xA4, 0x04, 0x0C, 0x05, 0x01}, 0x6700}, {Bytes{0x00, 0xB0, 0x00, 0x00, 0x00, 0x01}, 0x6700},
      {Bytes{0xFF, 0xA4, 0x00, 0x00}, 0x6E00}, {Bytes{0x0C, 0xB0, 0x85, 0x00, 0x00}, 0x6882},
  });
  EXPECT_EQ(card->pinTriesLeft(VirtualSampleCard::APPLICATION, VirtualSampleCard::PIN_FILE), 0);
  card->setPinTriesLeft(VirtualSampleCard::APPLICATION, VirtualSampleCard::PIN_FILE, 3);
  auto& other = card->addApplication("other", Bytes{0xA0, 0x00, 0x00, 0x00, 0x02});
  other.addPin(0x0011, toBytes("1234"), 3).addFile(0x0001, Bytes{1, 2, 3}, VirtualAccess::afterPin(0x0011));
  const Bytes unlock[] = {app, pinFile, right};
  script({
      // A failed VERIFY drops an earlier verification; VERIFY needs a selected PIN file.
      {app, 0x9000}, {pinFile, 0x9000}, {right, 0x9000}, {verifyPin("9999").encoded(), 0x63C2},
      {protectedFile, 0x9000}, {read1, 0x6982}, {right, 0x6A88},
      // The same PIN id in another application is another PIN; selecting an application again
      // resets its status, and so does power-on.
      {unlock[0], 0x9000}, {unlock[1], 0x9000}, {unlock[2], 0x9000},
      {Bytes{0x00, 0xA4, 0x04, 0x0C, 0x05, 0xA0, 0x00, 0x00, 0x00, 0x02}, 0x9000}, {selectFile(0x0001).encoded(), 0x9000},
      {read1, 0x6982}, {app, 0x9000}, {protectedFile, 0x9000}, {read1, 0x6982},
      {unlock[0], 0x9000}, {unlock[1], 0x9000}, {unlock[2], 0x9000}, {Bytes{}}, {app, 0x9000}, {protectedFile, 0x9000},
      {read1, 0x6982},
      // Past the end of the file, and a short EF identifier that names no file.
      {pinFile, 0x9000}, {right, 0x9000}, {protectedFile, 0x9000}, {readBinary(1, 5499).encoded(), 0x6B00},
      {Bytes{0x00, 0xB0, 0x85, 0x00, 0x04}, 0x6A82},
  });
}

}  // namespace
