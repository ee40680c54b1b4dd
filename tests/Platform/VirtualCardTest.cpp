// The virtual card emulator, driven with raw command APDUs: scripts of commands and the status
// words they must get (SELECT, READ BINARY refusals, VERIFY counters, security status, malformed
// commands), the data of READ BINARY forms, faults and the log.
#include <gtest/gtest.h>

#include "Platform/NFCISO7816APDU.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardContext.hpp"
#include "Platform/VirtualCard/VirtualSampleCard.hpp"
#include "Platform/PlatformTestSupport.hpp"

using namespace ekyc;
using namespace ekyc::test;

namespace {

std::uint16_t sw(const Bytes& answer) {
  return answer.size() < 2 ? 0 : static_cast<std::uint16_t>((answer[answer.size() - 2] << 8) | answer.back());
}
Bytes body(const Bytes& answer) { return answer.size() < 2 ? Bytes{} : Bytes(answer.begin(), answer.end() - 2); }

// A command and the status word it must get; an empty command powers the card on.
struct Step {
  Bytes command;
  std::uint16_t sw = 0;
};

class VirtualCardTest : public ::testing::Test {
 protected:
  Bytes send(const NFCISO7816APDU& apdu) { return card->transmit(apdu.encoded()).bytes; }
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
  });
}

TEST_F(VirtualCardTest, ReadBinaryFormsAndTheFci) {
  // P2 00 asks for the FCI: 6F with the DF name in 84.
  Bytes expected{0x6F, 0x0A, 0x84, 0x08};
  expected.insert(expected.end(), VirtualSampleCard::AID.begin(), VirtualSampleCard::AID.end());
  EXPECT_EQ(body(send(NFCISO7816APDU(0x00, 0xA4, 0x04, 0x00, VirtualSampleCard::AID, 256))), expected);
  script({{app, 0x9000}, {pinFile, 0x9000}, {right, 0x9000}, {protectedFile, 0x9000}});
  const Bytes contents = VirtualSampleCard::protectedContents();
  // Extended Le 5498 (00 15 7A) and 00 00 00 (up to 65536) give the whole file.
  EXPECT_EQ(body(send(Bytes{0x00, 0xB0, 0x00, 0x00, 0x00, 0x15, 0x7A})), contents);
  EXPECT_EQ(body(send(Bytes{0x00, 0xB0, 0x00, 0x00, 0x00, 0x00, 0x00})), contents);
  // Short Le 00 is 256; an offset of 5400 leaves 98 bytes; past the end is 6B00.
  EXPECT_EQ(body(send(readBinary(256))), Bytes(contents.begin(), contents.begin() + 256));
  EXPECT_EQ(body(send(readBinary(256, 5400))), Bytes(contents.begin() + 5400, contents.end()));
  EXPECT_EQ(sw(send(readBinary(1, 5499))), 0x6B00);
  // Short EF identifier in P1 (bit 8 set), offset in P2; the file becomes the current one.
  ASSERT_EQ(sw(send(pinFile)), 0x9000);
  const Bytes free = VirtualSampleCard::freeContents();
  EXPECT_EQ(body(send(Bytes{0x00, 0xB0, 0x82, 0x04, 0x04})), Bytes(free.begin() + 4, free.begin() + 8));
  EXPECT_EQ(body(send(readBinary(17))), free);
  EXPECT_EQ(sw(send(Bytes{0x00, 0xB0, 0x85, 0x00, 0x04})), 0x6A82);
}

TEST_F(VirtualCardTest, FaultsAtCommandN) {
  card->addFault(VirtualCardFault::statusWordAt(2, 0x6A82));
  card->addFault(VirtualCardFault::answerAt(3, {}));
  card->addFault(VirtualCardFault::answerAt(4, {0x90}));
  card->addFault(VirtualCardFault::truncatedAt(6, 5));
  card->addFault(VirtualCardFault::delayAt(6, std::chrono::milliseconds(30)));
  card->addFault(VirtualCardFault::removedAt(7));
  EXPECT_EQ(sw(send(app)), 0x9000);
  EXPECT_EQ(send(freeFile), (Bytes{0x6A, 0x82}));  // not processed
  EXPECT_EQ(send(freeFile), Bytes{});
  EXPECT_EQ(send(freeFile), Bytes{0x90});
  EXPECT_EQ(sw(send(freeFile)), 0x9000);
  VirtualCardAnswer truncated = card->transmit(readBinary(17).encoded());
  EXPECT_EQ(truncated.bytes, (Bytes{'S', 'A', 'M', 'P', 'L', 0x90, 0x00}));
  EXPECT_EQ(truncated.delay, std::chrono::milliseconds(30));
  EXPECT_TRUE(card->transmit(readBinary(17).encoded()).removed);
  EXPECT_TRUE(card->transmit(readBinary(17).encoded()).removed);  // gone for good

  ASSERT_EQ(card->log().size(), 7u);  // the command after the removal never reached the card
  // Put back and powered on, the count starts again at 1.
  card->reinsert();
  card->powerOn();
  EXPECT_EQ(sw(send(app)), 0x9000);
  EXPECT_EQ(card->commandCount(), 1u);
}

}  // namespace
