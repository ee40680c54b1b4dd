// The virtual card emulator, driven with raw command APDUs: SELECT, READ BINARY (short, extended,
// offsets, short EF identifiers), VERIFY counters, security status, instruction handlers, response
// parts, faults and the log.
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
Bytes body(const Bytes& answer) { return Bytes(answer.begin(), answer.end() - 2); }

class VirtualCardTest : public ::testing::Test {
 protected:
  Bytes send(const NFCISO7816APDU& apdu) { return card->transmit(apdu.encoded()).bytes; }
  Bytes send(const Bytes& raw) { return card->transmit(raw).bytes; }
  void unlock() {
    ASSERT_EQ(sw(send(selectSampleApplication())), 0x9000);
    ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PIN_FILE))), 0x9000);
    ASSERT_EQ(sw(send(verifyPin("1234"))), 0x9000);
  }

  std::shared_ptr<VirtualCard> card = VirtualSampleCard::make();
};

TEST_F(VirtualCardTest, SelectByAidFileIdAndMasterFile) {
  EXPECT_EQ(sw(send(selectSampleApplication())), 0x9000);
  EXPECT_EQ(sw(send(Bytes{0x00, 0xA4, 0x04, 0x0C, 0x03, 0xD3, 0x92, 0xF0})), 0x6A82);  // unknown AID
  EXPECT_EQ(sw(send(selectFile(VirtualSampleCard::FREE_FILE))), 0x9000);
  EXPECT_EQ(sw(send(selectFile(0x1234))), 0x6A82);
  // P2 00 asks for the FCI: 6F with the DF name in 84.
  Bytes fci = send(NFCISO7816APDU(0x00, 0xA4, 0x04, 0x00, VirtualSampleCard::AID, 256));
  EXPECT_EQ(sw(fci), 0x9000);
  Bytes expected{0x6F, 0x0A, 0x84, 0x08};
  expected.insert(expected.end(), VirtualSampleCard::AID.begin(), VirtualSampleCard::AID.end());
  EXPECT_EQ(body(fci), expected);
  // The empty MF SELECT (case 1) and 3F00 both select the master file, which has no such EF.
  EXPECT_EQ(sw(send(Bytes{0x00, 0xA4, 0x00, 0x00})), 0x9000);
  EXPECT_EQ(sw(send(selectFile(VirtualSampleCard::FREE_FILE))), 0x6A82);
  EXPECT_EQ(sw(send(Bytes{0x00, 0xA4, 0x00, 0x0C, 0x02, 0x3F, 0x00})), 0x9000);
  EXPECT_EQ(sw(send(Bytes{0x00, 0xA4, 0x08, 0x0C, 0x02, 0x3F, 0x00})), 0x6A86);
}

TEST_F(VirtualCardTest, ReadBinaryShortExtendedOffsetAndShortFileId) {
  unlock();
  ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PROTECTED_FILE))), 0x9000);
  const Bytes contents = VirtualSampleCard::protectedContents();
  // Extended Le 5498 (00 15 7A): the whole file.
  Bytes whole = send(Bytes{0x00, 0xB0, 0x00, 0x00, 0x00, 0x15, 0x7A});
  EXPECT_EQ(sw(whole), 0x9000);
  EXPECT_EQ(body(whole), contents);
  // Extended 00 00 00 asks for up to 65536: min(Le, rest) with 9000.
  EXPECT_EQ(body(send(Bytes{0x00, 0xB0, 0x00, 0x00, 0x00, 0x00, 0x00})), contents);
  // Short Le 00 is 256; an offset of 5400 leaves 98 bytes.
  Bytes first = send(readBinary(256));
  EXPECT_EQ(body(first), Bytes(contents.begin(), contents.begin() + 256));
  Bytes tail = send(readBinary(256, 5400));
  EXPECT_EQ(sw(tail), 0x9000);
  EXPECT_EQ(body(tail), Bytes(contents.begin() + 5400, contents.end()));
  EXPECT_EQ(sw(send(readBinary(1, 5499))), 0x6B00);
  // Short EF identifier in P1 (bit 8 set), offset in P2; the file becomes the current one.
  ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PIN_FILE))), 0x9000);
  Bytes viaShortId = send(Bytes{0x00, 0xB0, 0x82, 0x04, 0x04});
  const Bytes free = VirtualSampleCard::freeContents();
  EXPECT_EQ(body(viaShortId), Bytes(free.begin() + 4, free.begin() + 8));
  EXPECT_EQ(body(send(readBinary(17))), VirtualSampleCard::freeContents());
  EXPECT_EQ(sw(send(Bytes{0x00, 0xB0, 0x85, 0x00, 0x04})), 0x6A82);
}

TEST_F(VirtualCardTest, ReadBinaryRefusals) {
  EXPECT_EQ(sw(send(readBinary(17))), 0x6986);  // no current file
  ASSERT_EQ(sw(send(selectSampleApplication())), 0x9000);
  ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PROTECTED_FILE))), 0x9000);
  EXPECT_EQ(sw(send(readBinary(17))), 0x6982);  // PIN not verified
  ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PIN_FILE))), 0x9000);
  EXPECT_EQ(sw(send(readBinary(17))), 0x6981);  // a PIN is never read
}

TEST_F(VirtualCardTest, VerifyCountsDownLocksAndResets) {
  ASSERT_EQ(sw(send(selectSampleApplication())), 0x9000);
  ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PIN_FILE))), 0x9000);
  EXPECT_EQ(sw(send(Bytes{0x00, 0x20, 0x00, 0x80})), 0x63C3);  // counter query
  EXPECT_EQ(sw(send(verifyPin("0000"))), 0x63C2);
  EXPECT_EQ(sw(send(verifyPin("1234"))), 0x9000);  // resets the counter
  EXPECT_EQ(card->pinTriesLeft(VirtualSampleCard::APPLICATION, VirtualSampleCard::PIN_FILE), 3);
  EXPECT_EQ(sw(send(verifyPin("0000"))), 0x63C2);
  EXPECT_EQ(sw(send(verifyPin("0001"))), 0x63C1);
  EXPECT_EQ(sw(send(verifyPin("0002"))), 0x63C0);  // locks now
  EXPECT_EQ(sw(send(verifyPin("1234"))), 0x6984);  // locked: not even compared
  EXPECT_EQ(card->pinTriesLeft(VirtualSampleCard::APPLICATION, VirtualSampleCard::PIN_FILE), 0);
  // The counter survives power cycles; a failed VERIFY also drops an earlier verification.
  card->powerOn();
  ASSERT_EQ(sw(send(selectSampleApplication())), 0x9000);
  ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PIN_FILE))), 0x9000);
  EXPECT_EQ(sw(send(verifyPin("1234"))), 0x6984);
  card->setPinTriesLeft(VirtualSampleCard::APPLICATION, VirtualSampleCard::PIN_FILE, 3);
  EXPECT_EQ(sw(send(verifyPin("1234"))), 0x9000);
  EXPECT_EQ(sw(send(verifyPin("9999"))), 0x63C2);
  ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PROTECTED_FILE))), 0x9000);
  EXPECT_EQ(sw(send(readBinary(1))), 0x6982);
  // VERIFY needs a selected PIN file.
  EXPECT_EQ(sw(send(verifyPin("1234"))), 0x6A88);
}

TEST_F(VirtualCardTest, SecurityStatusIsPerApplicationAndResetOnSelection) {
  auto& other = card->addApplication("other", Bytes{0xA0, 0x00, 0x00, 0x00, 0x02});
  other.addPin(0x0011, toBytes("1234"), 3).addFile(0x0001, Bytes{1, 2, 3}, VirtualAccess::afterPin(0x0011));
  unlock();
  // The same PIN file id in another application is a different PIN, not verified there.
  ASSERT_EQ(sw(send(Bytes{0x00, 0xA4, 0x04, 0x0C, 0x05, 0xA0, 0x00, 0x00, 0x00, 0x02})), 0x9000);
  ASSERT_EQ(sw(send(selectFile(0x0001))), 0x9000);
  EXPECT_EQ(sw(send(readBinary(3))), 0x6982);
  // Back to the sample application: selecting it again resets its status.
  ASSERT_EQ(sw(send(selectSampleApplication())), 0x9000);
  ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PROTECTED_FILE))), 0x9000);
  EXPECT_EQ(sw(send(readBinary(3))), 0x6982);
  // Power-on resets it too.
  unlock();
  card->powerOn();
  ASSERT_EQ(sw(send(selectSampleApplication())), 0x9000);
  ASSERT_EQ(sw(send(selectFile(VirtualSampleCard::PROTECTED_FILE))), 0x9000);
  EXPECT_EQ(sw(send(readBinary(3))), 0x6982);
}

TEST_F(VirtualCardTest, UnknownInstructionAndMalformedCommands) {
  EXPECT_EQ(sw(send(Bytes{0x00, 0x12, 0x00, 0x00})), 0x6D00);
  EXPECT_EQ(sw(send(Bytes{0x00, 0xA4, 0x04})), 0x6700);                    // too short
  EXPECT_EQ(sw(send(Bytes{0x00, 0xA4, 0x04, 0x0C, 0x05, 0x01})), 0x6700);  // Lc larger than the data
  EXPECT_EQ(sw(send(Bytes{0x00, 0xB0, 0x00, 0x00, 0x00, 0x01})), 0x6700);  // extended form cut short
  EXPECT_EQ(sw(send(Bytes{0xFF, 0xA4, 0x00, 0x00})), 0x6E00);
  EXPECT_EQ(sw(send(Bytes{0x0C, 0xB0, 0x85, 0x00, 0x00})), 0x6882);  // secure messaging without a handler
}

TEST_F(VirtualCardTest, FaultsAtCommandN) {
  card->addFault(VirtualCardFault::statusWordAt(2, 0x6A82));
  card->addFault(VirtualCardFault::answerAt(3, {}));
  card->addFault(VirtualCardFault::answerAt(4, {0x90}));
  card->addFault(VirtualCardFault::truncatedAt(6, 5));
  card->addFault(VirtualCardFault::delayAt(6, std::chrono::milliseconds(30)));
  card->addFault(VirtualCardFault::removedAt(7));
  EXPECT_EQ(sw(send(selectSampleApplication())), 0x9000);
  EXPECT_EQ(send(selectFile(VirtualSampleCard::FREE_FILE)), (Bytes{0x6A, 0x82}));  // not processed
  EXPECT_EQ(send(selectFile(VirtualSampleCard::FREE_FILE)), Bytes{});
  EXPECT_EQ(send(selectFile(VirtualSampleCard::FREE_FILE)), Bytes{0x90});
  EXPECT_EQ(sw(send(selectFile(VirtualSampleCard::FREE_FILE))), 0x9000);
  VirtualCardAnswer truncated = card->transmit(readBinary(17).encoded());
  EXPECT_EQ(truncated.bytes, (Bytes{'S', 'A', 'M', 'P', 'L', 0x90, 0x00}));
  EXPECT_EQ(truncated.delay, std::chrono::milliseconds(30));
  VirtualCardAnswer removed = card->transmit(readBinary(17).encoded());
  EXPECT_TRUE(removed.removed);
  EXPECT_TRUE(card->isRemoved());
  EXPECT_TRUE(card->transmit(readBinary(17).encoded()).removed);  // gone for good

  const auto log = card->log();
  ASSERT_EQ(log.size(), 7u);  // the command after the removal never reached the card
  EXPECT_EQ(log[0].command, selectSampleApplication().encoded());
  EXPECT_EQ(log[0].answer, (Bytes{0x90, 0x00}));
  EXPECT_EQ(log[1].answer, (Bytes{0x6A, 0x82}));
  EXPECT_TRUE(log[6].removed);
  EXPECT_EQ(card->commands().size(), 7u);

  // Put back and powered on, the count starts again at 1 (the faults stay until cleared).
  card->reinsert();
  card->powerOn();
  card->clearFaults();
  card->clearLog();
  EXPECT_EQ(sw(send(selectSampleApplication())), 0x9000);
  EXPECT_EQ(card->commandCount(), 1u);
  EXPECT_EQ(card->log().size(), 1u);
}

}  // namespace
