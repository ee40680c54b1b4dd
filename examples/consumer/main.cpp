// A host program's first use of nfc-ekyc, offline: command APDUs, a BER-TLV record, a digest, the
// result texts, and a platform without a card reader. Prints what it got; exit 1 on a wrong value.
#include <cstdio>
#include <string>

#include "ekyc.hpp"

namespace {

int failures = 0;

void check(const char* what, const std::string& got, const std::string& expected) {
  const bool ok = got == expected;
  std::printf("%-28s %s%s\n", what, got.c_str(), ok ? "" : (" (expected " + expected + ")").c_str());
  if (!ok) ++failures;
}

}  // namespace

int main() {
  using namespace ekyc;
  const Utility utility;
  const ConstApduCmd commands;
  check("SELECT JPKI", utility.dataToHexString(commands.selectPublicCertAid.encoded()), "00A4040C0AD392F000260100000001");
  check("READ BINARY (extended Le)", utility.dataToHexString(commands.readCardPrintInfo.encoded()), "00B0000000157A");

  const Bytes record{0xDF, 0x22, 0x03, 'a', 'b', 'c', 0x5F, 0x4E, 0x81, 0x02, 0x01, 0x02};
  const auto tags = Ber().parse(record, {"DF22", "5F4E"}, false);
  check("BER-TLV DF22", utility.dataToUTF8String(Ber::entry(tags, "DF22").value_or(Bytes{})), "abc");
  check("BER-TLV 5F4E", utility.dataToHexString(Ber::entry(tags, "5F4E").value_or(Bytes{})), "0102");

  check("SHA-256(\"abc\")", utility.dataToHexString(utility.createDigest(toBytes("abc"), "SHA-256")),
        "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD");
  check("error 11001", ConstResult().text(11001), "使用している端末は NFC の機能がありません。");

  const Platform platform;  // no card reader given
  check("reading available", NFCTagReaderSession::readingAvailable(platform) ? "yes" : "no", "no");
  return failures == 0 ? 0 : 1;
}
