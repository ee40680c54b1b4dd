#include "ResidenceCard/ResidenceCardFiles.hpp"

#include <charconv>

#include "TLV/Ber.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

// The value of the element `tag` the file starts with, into `value` (absent when the file does not
// start with one); false when that value is longer than `width` bytes (the record's fixed-width
// copies could not hold it) or the element runs past the file. A shorter value is kept (the record
// pads it with zero bytes); what follows the element is not checked (the walk stops at a tag that
// is not `tag`, as in every tag dictionary).
bool leadingElementValue(const Bytes& file, const std::string& tag, int width, std::optional<Bytes>& value) {
  value = Ber::entry(Ber().parse(file, {tag}, false), tag);
  if (value) return value->size() <= static_cast<std::size_t>(width);
  // Not found: no such element, unless the file starts with its tag (the element then runs past).
  return file.empty() || Utility().dataToHexString(Bytes{file.front()}) != tag;
}

}  // namespace

std::optional<std::int64_t> ResidenceCardFiles::decimal(const std::optional<Bytes>& data) {
  if (!data || data->empty()) return std::nullopt;
  const auto* first = reinterpret_cast<const char*>(data->data());
  const auto* last = first + data->size();
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  if (error != std::errc() || end != last) return std::nullopt;
  return value;
}

std::optional<std::int64_t> ResidenceCardFiles::cardTypeNumber(const Bytes& file) {
  const ConstTag tag;
  return decimal(Ber::entry(Ber().parse(file, tag.RESIDENCE_CARD_CARD_TYPE, false), tag.RESIDENCE_CARD_CARD_TYPE.front()));
}

bool ResidenceCardFiles::protectedFileValue(const Bytes& file, bool frontImage, std::optional<Bytes>& value) {
  const ConstTag tag;
  const ConstDataLength length;
  return frontImage ? leadingElementValue(file, tag.RESIDENCE_CARD_CARD_ENTRIES.front(),
                                          length.RESIDENCE_CARD_CARD_ENTRIES_VAL, value)
                    : leadingElementValue(file, tag.RESIDENCE_CARD_PHOTO.front(), length.RESIDENCE_CARD_PHOTO_VAL,
                                          value);
}

std::optional<std::pair<Bytes, Bytes>> ResidenceCardFiles::signaturesFile(const Bytes& file) {
  const ConstTag tag;
  const ConstDataLength length;
  const auto found = Ber().parse(file, tag.RESIDENCE_CARD_SIGNATURES, false);
  const auto da = Ber::entry(found, tag.RESIDENCE_CARD_SIGNATURE);
  const auto db = Ber::entry(found, tag.RESIDENCE_CARD_CERTIFICATE);
  if (!da || !db || da->size() != static_cast<std::size_t>(length.RESIDENCE_CARD_SIGNATURES_SIGNATURE) ||
      db->size() != static_cast<std::size_t>(length.RESIDENCE_CARD_SIGNATURES_CERTIFICATE)) {
    return std::nullopt;
  }
  return std::pair{*da, *db};
}

}  // namespace ekyc
