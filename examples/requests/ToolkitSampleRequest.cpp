// toolkit-sample: the card data toolkit on its own, no card: a small input-support file (the four
// basic items, as the card stores them) is parsed and printed as JSON.
#include <algorithm>

#include "../DemoContext.hpp"
#include "../DemoRequest.hpp"
#include "TLV/Ber.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc::demo {

namespace {

void append(Bytes& out, std::uint8_t t1, std::uint8_t t2, const Bytes& value) {
  out.insert(out.end(), {t1, t2, static_cast<std::uint8_t>(value.size())});
  out.insert(out.end(), value.begin(), value.end());
}

// FF20 { DF21 address map, DF22 name, DF23 address, DF24 date of birth, DF25 gender }, FF filler.
Bytes sampleBasicPersonalInfoFile() {
  Bytes inner;
  append(inner, 0xDF, 0x21, {0x00, 0x02});
  append(inner, 0xDF, 0x22, toBytes("番号　花子［旧姓］"));
  append(inner, 0xDF, 0x23, toBytes("東京都千代田区霞が関２－１－１"));
  append(inner, 0xDF, 0x24, toBytes("19850415"));
  append(inner, 0xDF, 0x25, toBytes("2"));
  Bytes file(256, 0xFF);
  file[0] = 0xFF;
  file[1] = 0x20;
  file[2] = 0x81;
  file[3] = static_cast<std::uint8_t>(inner.size());
  std::copy(inner.begin(), inner.end(), file.begin() + 4);
  return file;
}


DemoOutcome runToolkitSample(DemoContext&) {
  const Utility utility;
  const Const c;
  const ConstTag tags;
  const Bytes file = sampleBasicPersonalInfoFile();
  const auto dic = Ber().parse(file, tags.BASIC_PERSONAL_INFO, true);

  nlohmann::json items = nlohmann::json::object();
  for (const auto& [tag, value] : dic) items[tag] = utility.dataToHexString(value);
  const Bytes name = dic.count(tags.BASIC_P_INFO_NAME) ? dic.at(tags.BASIC_P_INFO_NAME) : Bytes{};

  nlohmann::json out = {
      {"demo", "nfc-ekyc card data toolkit"},
      {"file", {{"bytes", file.size()}, {"sha256", utility.dataToHexString(utility.createDigest(file, c.SHA256))}}},
      {"tags", items},
      {"name", utility.dataToUTF8String(utility.fetchCommonName(name, c.COMMON_BRACKET_LEFT, c.COMMON_BRACKET_RIGHT))},
      {"previousName", utility.dataToUTF8String(
                           utility.fetchPreviousName(name, c.COMMON_BRACKET_LEFT, c.COMMON_BRACKET_RIGHT))},
      {"address", utility.dataToUTF8String(dic.count(tags.BASIC_P_INFO_ADD) ? dic.at(tags.BASIC_P_INFO_ADD) : Bytes{})},
      {"dateOfBirth", utility.dataToUTF8String(
                          dic.count(tags.BASIC_P_INFO_DATEOFBIRTH) ? dic.at(tags.BASIC_P_INFO_DATEOFBIRTH) : Bytes{})},
      {"licenceText", utility.convertDriverLicenseChar({0x3B, 0x33, 0x45, 0x44, 0x2D, 0x35, 0xFF, 0xF1})},
      {"verifyingParams", utility.dataToUTF8String(utility.createJsonVerifyingParams(Utility::ski, {0xFB, 0xFF, 0x01}))},
  };
  return DemoOutcome::success(out);
}

}  // namespace

}  // namespace ekyc::demo

EKYC_DEMO_REQUEST(toolkitSample, "toolkit-sample", "parse a sample card file with the toolkit (no card)",
                  {},
                  ekyc::demo::runToolkitSample, ekyc::demo::NEVER_VERIFIES)
