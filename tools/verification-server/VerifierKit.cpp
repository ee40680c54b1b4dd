#include "verification-server/VerifierKit.hpp"

#include <memory>

#include <openssl/evp.h>

#include "Platform/Json.hpp"

namespace ekyc {

namespace {

bool isBase64Character(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

}  // namespace

std::optional<Bytes> VerifierKit::base64Decode(std::string_view text) {
  if (text.size() % 4 != 0) {
    return std::nullopt;
  }
  std::size_t padding = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '=') {
      // Padding only in the last two places of the last quantum.
      if (i + 2 < text.size()) {
        return std::nullopt;
      }
      ++padding;
    } else if (padding > 0 || !isBase64Character(c)) {
      return std::nullopt;
    }
  }
  if (text.empty()) {
    return Bytes{};
  }
  Bytes out(text.size() / 4 * 3);
  const int written = EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                      static_cast<int>(text.size()));
  if (written < 0 || static_cast<std::size_t>(written) != out.size()) {
    return std::nullopt;
  }
  out.resize(out.size() - padding);
  return out;
}

std::string VerifierKit::base64Encode(const Bytes& data) {
  if (data.empty()) {
    return {};
  }
  std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
  const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data.data(),
                                      static_cast<int>(data.size()));
  out.resize(written < 0 ? 0 : static_cast<std::size_t>(written));
  return out;
}

std::optional<Bytes> VerifierKit::digest(const std::string& algorithm, const Bytes& data) {
  const EVP_MD* md = EVP_get_digestbyname(algorithm.c_str());
  if (md == nullptr) {
    return std::nullopt;
  }
  Bytes out(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  if (EVP_Digest(data.data(), data.size(), out.data(), &length, md, nullptr) != 1) {
    return std::nullopt;
  }
  out.resize(length);
  return out;
}

Bytes VerifierKit::sha256(const Bytes& data) { return digest("SHA256", data).value_or(Bytes{}); }

std::string VerifierKit::hex(const Bytes& data) {
  static constexpr char DIGITS[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(data.size() * 2);
  for (std::uint8_t b : data) {
    out += DIGITS[b >> 4];
    out += DIGITS[b & 0x0F];
  }
  return out;
}

std::optional<nlohmann::json> VerifierKit::parseJson(std::string_view text) {
  return Json::parse(text);
}

std::optional<nlohmann::json> VerifierKit::decodeBase64JsonObject(std::string_view base64Text) {
  const std::optional<Bytes> decoded = base64Decode(base64Text);
  if (!decoded) {
    return std::nullopt;
  }
  std::optional<nlohmann::json> parsed =
      parseJson(std::string_view(reinterpret_cast<const char*>(decoded->data()), decoded->size()));
  if (!parsed || !parsed->is_object()) {
    return std::nullopt;
  }
  return parsed;
}

std::optional<std::vector<std::string>> VerifierKit::decodeBase64TextArray(std::string_view base64Text) {
  const std::optional<Bytes> decoded = base64Decode(base64Text);
  if (!decoded) {
    return std::nullopt;
  }
  const std::optional<nlohmann::json> parsed =
      parseJson(std::string_view(reinterpret_cast<const char*>(decoded->data()), decoded->size()));
  if (!parsed || !parsed->is_array()) {
    return std::nullopt;
  }
  std::vector<std::string> texts;
  for (const nlohmann::json& item : *parsed) {
    if (!item.is_string()) {
      return std::nullopt;
    }
    texts.push_back(item.get<std::string>());
  }
  return texts;
}

std::vector<TlvElement> VerifierKit::parseTlv(const Bytes& data) {
  std::vector<TlvElement> elements;
  std::size_t pos = 0;
  while (pos < data.size()) {
    const std::size_t start = pos;
    const std::uint8_t first = data[pos];
    if (first == 0x00 || first == 0xFF) {
      break;  // filler
    }
    std::size_t tagEnd = pos + 1;
    if ((first & 0x1F) == 0x1F) {
      // Multi-byte tag: subsequent bytes while bit 8 is set, at most four bytes in all.
      while (tagEnd < data.size() && (data[tagEnd] & 0x80) != 0 && tagEnd - pos < 3) {
        ++tagEnd;
      }
      ++tagEnd;
      if (tagEnd > data.size() || (data[tagEnd - 1] & 0x80) != 0) {
        break;
      }
    }
    const Bytes tagBytes(data.begin() + static_cast<std::ptrdiff_t>(pos), data.begin() + static_cast<std::ptrdiff_t>(tagEnd));
    pos = tagEnd;
    if (pos >= data.size()) {
      break;
    }
    std::size_t length = data[pos++];
    if (length & 0x80) {
      const std::size_t octets = length & 0x7F;
      if (octets == 0 || octets > 4 || octets > data.size() - pos) {
        break;
      }
      length = 0;
      for (std::size_t i = 0; i < octets; ++i) {
        length = (length << 8) | data[pos++];
      }
    }
    if (length > data.size() - pos) {
      break;
    }
    TlvElement element;
    element.tag = hex(tagBytes);
    element.value.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                         data.begin() + static_cast<std::ptrdiff_t>(pos + length));
    element.offset = start;
    element.length = pos + length - start;
    element.constructed = (first & 0x20) != 0;
    elements.push_back(std::move(element));
    pos += length;
  }
  return elements;
}

namespace {

// Card files nest a few levels at most; the bound keeps hostile data from exhausting the stack.
constexpr int MAX_TLV_DEPTH = 16;

std::optional<TlvElement> findTlvAt(const Bytes& data, const std::string& tagHex, bool descend, int depth) {
  for (TlvElement& element : VerifierKit::parseTlv(data)) {
    if (element.tag == tagHex) {
      return std::move(element);
    }
    if (descend && element.constructed && depth < MAX_TLV_DEPTH) {
      if (std::optional<TlvElement> inner = findTlvAt(element.value, tagHex, true, depth + 1)) {
        return inner;
      }
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<TlvElement> VerifierKit::findTlv(const Bytes& data, const std::string& tagHex, bool descend) {
  return findTlvAt(data, tagHex, descend, 0);
}

}  // namespace ekyc
