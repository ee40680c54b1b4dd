#include "ResidenceCard/ResidenceCardFiles.hpp"

#include <charconv>

#include "TLV/Ber.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/ConstTag.hpp"

namespace ekyc {

namespace {

// The value of the one element `tag` that makes up the whole file, with `width` bytes; absent
// otherwise.
std::optional<Bytes> soleElementValue(const Bytes& file, const std::string& tag, int width) {
  const Ber ber;
  const auto whole = Ber::entry(ber.parseToTLV(file, {tag}, false), tag);
  const auto value = Ber::entry(ber.parse(file, {tag}, false), tag);
  if (!whole || !value || *whole != file || value->size() != static_cast<std::size_t>(width)) return std::nullopt;
  return value;
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

std::optional<Bytes> ResidenceCardFiles::protectedFileValue(const Bytes& file, bool frontImage) {
  const ConstTag tag;
  const ConstDataLength length;
  return frontImage ? soleElementValue(file, tag.RESIDENCE_CARD_CARD_ENTRIES.front(), length.RESIDENCE_CARD_CARD_ENTRIES_VAL)
                    : soleElementValue(file, tag.RESIDENCE_CARD_PHOTO.front(), length.RESIDENCE_CARD_PHOTO_VAL);
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
