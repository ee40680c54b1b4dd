#include "Reader/CardFileFormat.hpp"

#include <algorithm>

#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"

namespace ekyc {

namespace {
constexpr std::size_t DIGEST_SIZE = 32;  // SHA-256
constexpr std::size_t MY_NUMBER_DIGITS = 12;

const ConstTag& tags() {
  static const ConstTag tag;
  return tag;
}
}  // namespace

bool CardFileFormat::isMyNumber(const Bytes& value) {
  return value.size() == MY_NUMBER_DIGITS &&
         std::all_of(value.begin(), value.end(), [](std::uint8_t b) { return b >= '0' && b <= '9'; });
}

bool CardFileFormat::holds(const Bytes& file, const std::vector<std::string>& tagList,
                           const std::vector<Required>& required) {
  // The outer element, whole (the walk drops one whose length runs past the data), and the one the
  // file starts with, which the readers enter (the walk keeps the last of two).
  const auto outer = Ber::entry(Ber().parseToTLV(file, {tagList.front()}, false), tagList.front());
  if (!outer || outer->size() > file.size() || !std::equal(outer->begin(), outer->end(), file.begin())) return false;
  const auto values = Ber().parse(*outer, tagList, true);
  return std::all_of(required.begin(), required.end(), [&values](const Required& r) {
    const auto value = Ber::entry(values, r.tag);
    return value && !value->empty() && (r.size == 0 || value->size() == r.size);
  });
}

bool CardFileFormat::isCertificateFile(const Bytes& file) {
  const ConstTag& tag = tags();
  return holds(file, tag.BASIC_P_INFO_CERT, {{tag.BASIC_P_INFO_CERT[1]}, {tag.BASIC_P_INFO_CERT[2]}});
}

bool CardFileFormat::isNumberFile(const Bytes& file) {
  const ConstTag& tag = tags();
  const auto number = Ber::entry(Ber().parse(file, tag.MYNUMBER, false), tag.MYNUMBER.front());
  return number && isMyNumber(*number);
}

bool CardFileFormat::isBasicItemsFile(const Bytes& file) {
  const ConstTag& tag = tags();
  return holds(file, tag.BASIC_PERSONAL_INFO,
               {{tag.BASIC_P_INFO_NAME}, {tag.BASIC_P_INFO_ADD}, {tag.BASIC_P_INFO_DATEOFBIRTH}, {tag.BASIC_P_INFO_GENDER}});
}

bool CardFileFormat::isIntegrityFile(const Bytes& file) {
  const ConstTag& tag = tags();
  return holds(file, tag.MYNUMBER_HASH,
               {{tag.MYNUMBER_HASH_NUMBER, DIGEST_SIZE},
                {tag.MYNUMBER_HASH_BASIC_PERSONAL_INFO, DIGEST_SIZE},
                {tag.MYNUMBER_HASH_SIGNATURE}});
}

bool CardFileFormat::isCardSurfaceFile(const Bytes& file) {
  const ConstTag& tag = tags();
  return holds(file, tag.CARD_PRINT_INFO,
               {{tag.CARD_P_INFO_DATEOFBIRTH}, {tag.CARD_P_INFO_GENDER}, {tag.CARD_P_INFO_IN_CERT},
                {tag.CARD_P_INFO_NAME}, {tag.CARD_P_INFO_ADD}, {tag.CARD_P_INFO_PHOTO}, {tag.CARD_P_INFO_SIGN},
                {tag.CARD_P_INFO_EXPIRE_DATE}, {tag.CARD_P_INFO_SECURITY_CODE}});
}

bool CardFileFormat::isNumberImageFile(const Bytes& file) {
  const ConstTag& tag = tags();
  return holds(file, tag.MYNUMBER_INFO,
               {{tag.MYNUMBER_IMG}, {tag.MYNUMBER_INTERNAL_KEY}, {tag.MYNUMBER_SIGNATURE}});
}

}  // namespace ekyc
