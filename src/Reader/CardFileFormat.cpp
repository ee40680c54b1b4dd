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

bool CardFileFormat::sound(const Bytes& file, const std::vector<std::string>& tagList,
                           const std::vector<Sized>& sized, bool inside) {
  // No template: every element absent.
  if (file.empty() || (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xFF)) return true;
  // The template, whole (the walk drops one whose length runs past the data), and the one the file
  // starts with, which the readers enter (the walk keeps the last of two).
  const Ber ber;
  const auto outer = Ber::entry(ber.parseToTLV(file, {tagList.front()}, false), tagList.front());
  if (!outer || !std::equal(outer->begin(), outer->end(), file.begin())) return false;
  // An empty template is no template: every element inside absent (an empty 7F21, stored whole,
  // stays a present, empty certificate).
  if (Ber::entry(ber.parse(*outer, {tagList.front()}, false), tagList.front()).value_or(Bytes{}).empty()) return true;
  if (inside && !ber.isWhole(*outer, true)) return false;
  const auto values = ber.parse(file, tagList, inside);
  return std::all_of(sized.begin(), sized.end(), [&values](const Sized& s) {
    const auto value = Ber::entry(values, s.tag);
    return !value || value->size() == s.size;
  });
}

bool CardFileFormat::holdsAll(const Bytes& file, const std::vector<std::string>& tagList,
                              const std::vector<std::string>& tags) {
  const auto outer = Ber().parse(file, {tagList.front()}, false);
  const auto values = Ber().parse(file, tagList, true);
  return std::all_of(tags.begin(), tags.end(), [&](const std::string& tag) {
    const auto value = Ber::entry(tag == tagList.front() ? outer : values, tag);
    return value && !value->empty();
  });
}

bool CardFileFormat::isCertificateFile(const Bytes& file) {
  const ConstTag& tag = tags();
  return sound(file, tag.BASIC_P_INFO_CERT, {});
}

std::optional<Bytes> CardFileFormat::certificate(const Bytes& file) {
  const ConstTag& tag = tags();
  return Ber::entry(Ber().parse(file, tag.BASIC_P_INFO_CERT, false), tag.BASIC_P_INFO_CERT.front());
}

bool CardFileFormat::isNumberFile(const Bytes& file) {
  const ConstTag& tag = tags();
  const auto number = Ber::entry(Ber().parse(file, tag.MYNUMBER, false), tag.MYNUMBER.front());
  return sound(file, tag.MYNUMBER, {}, false) && (!number || isMyNumber(*number));
}

bool CardFileFormat::isBasicItemsFile(const Bytes& file) { return sound(file, tags().BASIC_PERSONAL_INFO, {}); }

bool CardFileFormat::isIntegrityFile(const Bytes& file, const std::vector<std::string>& digests) {
  std::vector<Sized> sized;
  for (const auto& digest : digests) sized.push_back({digest, DIGEST_SIZE});
  return sound(file, tags().MYNUMBER_HASH, sized);
}

bool CardFileFormat::isCardSurfaceFile(const Bytes& file) { return sound(file, tags().CARD_PRINT_INFO, {}); }

bool CardFileFormat::isNumberImageFile(const Bytes& file) { return sound(file, tags().MYNUMBER_INFO, {}); }

}  // namespace ekyc
