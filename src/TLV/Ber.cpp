#include "TLV/Ber.hpp"

#include <cstdint>
#include <iostream>
#include <limits>
#include <optional>
#include <span>

namespace ekyc {

namespace {

enum class TagRule { Standard, DriverLicense, MynaDriverLicense };

struct WalkOptions {
  TagRule rule;
  bool wholeElement;
  bool anyTag = false;          // every tag counts as listed
  bool* cutShort = nullptr;     // set when the walk ends at an element cut short (or indefinite)
};

// A tag as its byte count and value, so that "01" and "0001" stay apart.
using TagKey = std::uint32_t;
constexpr TagKey makeKey(std::size_t length, std::uint32_t value) {
  return (static_cast<TagKey>(length) << 16) | value;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::vector<TagKey> keysOf(const std::vector<std::string>& tagList) {
  std::vector<TagKey> keys;
  keys.reserve(tagList.size());
  for (const auto& tag : tagList) {
    if (tag.empty() || tag.size() % 2 != 0 || tag.size() > 4) continue;
    std::uint32_t value = 0;
    bool ok = true;
    for (const char c : tag) {
      const int d = hexDigit(c);
      if (d < 0) {
        ok = false;
        break;
      }
      value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    if (ok) keys.push_back(makeKey(tag.size() / 2, value));
  }
  return keys;
}

std::string hexOf(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const auto b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

// Tag length at data[pos], by the rule; 0 when the tag runs past `end`.
std::size_t tagLength(const Bytes& data, std::size_t pos, std::size_t end, TagRule rule) {
  const std::uint8_t first = data[pos];
  bool twoBytes = false;
  switch (rule) {
    case TagRule::Standard:
      twoBytes = (first & 0x1F) == 0x1F && first != 0x1F;
      break;
    case TagRule::DriverLicense:
      twoBytes = first == 0x5F && pos + 1 < end && data[pos + 1] == 0x40;
      break;
    case TagRule::MynaDriverLicense:
      twoBytes = first == 0x01 && pos + 1 < end && data[pos + 1] <= 0x0D;
      break;
  }
  if (!twoBytes) return 1;
  return pos + 1 < end ? 2 : 0;
}

enum class LengthResult { Ok, Indefinite, Truncated };

// Reads the length at data[pos]; on success `pos` moves past the length bytes. A value that does not
// fit a size_t saturates (it then fails the room check of the caller).
LengthResult readLength(const Bytes& data, std::size_t& pos, std::size_t end, std::size_t& length) {
  if (pos >= end) return LengthResult::Truncated;
  const std::uint8_t first = data[pos];
  if (first < 0x80) {
    length = first;
    ++pos;
    return LengthResult::Ok;
  }
  if (first == 0x80) return LengthResult::Indefinite;
  const std::size_t count = first & 0x7F;
  if (count > end - pos - 1) return LengthResult::Truncated;
  std::size_t value = 0;
  for (std::size_t i = 1; i <= count; ++i) {
    if (value > (std::numeric_limits<std::size_t>::max() >> 8)) {
      value = std::numeric_limits<std::size_t>::max();
    } else {
      value = (value << 8) | data[pos + i];
    }
  }
  length = value;
  pos += 1 + count;
  return LengthResult::Ok;
}

bool isFiller(const Bytes& data, std::size_t pos, std::size_t end) {
  return end - pos >= 2 && data[pos] == 0xFF && data[pos + 1] == 0xFF;
}

Ber::TagDictionary walk(const Bytes& data, const std::vector<std::string>& tagList, bool skipFirst,
                        WalkOptions options) {
  Ber::TagDictionary result;
  const std::vector<TagKey> wanted = keysOf(tagList);
  const auto listed = [&wanted](TagKey key) {
    for (const auto k : wanted) {
      if (k == key) return true;
    }
    return false;
  };
  const auto structureError = [&options] {
    if (options.rule == TagRule::MynaDriverLicense) std::clog << "構造体error" << std::endl;
  };
  const auto ended = [&options, &result] {
    if (options.cutShort) *options.cutShort = true;
    return result;
  };

  std::size_t pos = 0;
  std::size_t end = data.size();

  if (skipFirst) {
    if (end == 0 || isFiller(data, pos, end)) return result;
    const std::size_t tagLen = tagLength(data, pos, end, options.rule);
    if (tagLen == 0) return ended();
    pos += tagLen;
    std::size_t length = 0;
    const auto r = readLength(data, pos, end, length);
    if (r == LengthResult::Indefinite) structureError();
    if (r != LengthResult::Ok) return ended();
    // A first element cut short (a short read of the file) is walked as far as it goes.
    if (length < end - pos) {
      end = pos + length;
    } else if (length > end - pos && options.cutShort) {
      *options.cutShort = true;
    }
  }

  while (pos < end) {
    if (isFiller(data, pos, end)) break;
    const std::size_t start = pos;
    const std::size_t tagLen = tagLength(data, pos, end, options.rule);
    if (tagLen == 0) return ended();
    std::uint32_t tagValue = data[pos];
    if (tagLen == 2) tagValue = (tagValue << 8) | data[pos + 1];
    if (!options.anyTag && !listed(makeKey(tagLen, tagValue))) break;
    pos += tagLen;

    std::size_t length = 0;
    const auto r = readLength(data, pos, end, length);
    if (r == LengthResult::Indefinite) structureError();
    if (r != LengthResult::Ok || length > end - pos) return ended();

    const std::size_t valueEnd = pos + length;
    const std::size_t from = options.wholeElement ? start : pos;
    result[hexOf(std::span(data).subspan(start, tagLen))] =
        Bytes(data.begin() + static_cast<std::ptrdiff_t>(from), data.begin() + static_cast<std::ptrdiff_t>(valueEnd));
    pos = valueEnd;
  }
  return result;
}

}  // namespace

std::optional<Bytes> Ber::entry(const TagDictionary& dictionary, const std::string& tag) {
  const auto it = dictionary.find(tag);
  if (it == dictionary.end()) return std::nullopt;
  return it->second;
}

Ber::TagDictionary Ber::parse(const Bytes& tlvData, const std::vector<std::string>& tagList,
                              bool fistTagLengthSkip) const {
  return walk(tlvData, tagList, fistTagLengthSkip, {TagRule::Standard, false});
}

Ber::TagDictionary Ber::parseToTLV(const Bytes& tlvData, const std::vector<std::string>& tagList,
                                   bool fistTagLengthSkip) const {
  return walk(tlvData, tagList, fistTagLengthSkip, {TagRule::Standard, true});
}

bool Ber::isWhole(const Bytes& tlvData, bool fistTagLengthSkip) const {
  bool cutShort = false;
  walk(tlvData, {}, fistTagLengthSkip, {TagRule::Standard, false, true, &cutShort});
  return !cutShort;
}

Ber::TagDictionary Ber::parseForDriverLicense(const Bytes& tlvData, const std::vector<std::string>& tagList,
                                              bool fistTagLengthSkip) const {
  return walk(tlvData, tagList, fistTagLengthSkip, {TagRule::DriverLicense, false});
}

Ber::TagDictionary Ber::parseForMynaDriverLicense(const Bytes& tlvData, const std::vector<std::string>& tagList,
                                                  bool fistTagLengthSkip) const {
  return walk(tlvData, tagList, fistTagLengthSkip, {TagRule::MynaDriverLicense, false});
}

}  // namespace ekyc
