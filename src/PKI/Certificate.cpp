#include "PKI/Certificate.hpp"

#include <algorithm>
#include <cstddef>
#include <memory>

#include <openssl/evp.h>
#include <openssl/x509.h>

namespace ekyc {

namespace {

std::optional<Bytes> hexToBytes(const std::string& hex) {
  if (hex.empty() || hex.size() % 2 != 0) return std::nullopt;
  const auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  Bytes out;
  out.reserve(hex.size() / 2);
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = nibble(hex[i]);
    const int lo = nibble(hex[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out.push_back(static_cast<std::uint8_t>(hi << 4 | lo));
  }
  return out;
}

struct X509Free {
  void operator()(X509* x) const { X509_free(x); }
};

// The certificate when `der` is one whose element spans exactly these bytes.
std::unique_ptr<X509, X509Free> wholeCertificate(const Bytes& der) {
  if (der.empty()) return nullptr;
  const unsigned char* p = der.data();
  std::unique_ptr<X509, X509Free> x509(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
  if (!x509 || p != der.data() + der.size()) return nullptr;
  return x509;
}

// Reads a DER length at pos (short form, or long form with one to four length octets) and moves
// pos past it. Absent when the length octets or the content they announce run past end.
std::optional<std::size_t> readLength(const Bytes& data, std::size_t& pos, std::size_t end) {
  if (pos >= end) return std::nullopt;
  const std::uint8_t first = data[pos++];
  std::size_t length = first;
  if (first & 0x80) {
    const std::size_t count = first & 0x7F;
    if (count == 0 || count > 4 || end - pos < count) return std::nullopt;
    length = 0;
    for (std::size_t i = 0; i < count; ++i) length = length << 8 | data[pos++];
  }
  if (end - pos < length) return std::nullopt;
  return length;
}

// The end of the DER element that starts the data, when it is a SEQUENCE that fits.
std::size_t searchEnd(const Bytes& data) {
  if (data.empty() || data[0] != 0x30) return data.size();
  std::size_t pos = 1;
  const auto length = readLength(data, pos, data.size());
  return length ? pos + *length : data.size();
}

// The string value of the entry whose identifier content starts at oidPos.
std::optional<Bytes> entryValue(const Bytes& data, std::size_t oidPos, std::size_t oidLength, std::size_t end) {
  if (oidPos < 2 || data[oidPos - 2] != 0x06 || data[oidPos - 1] != oidLength) return std::nullopt;
  std::size_t pos = oidPos + oidLength;
  if (pos >= end || data[pos++] != 0xA0) return std::nullopt;
  const auto outer = readLength(data, pos, end);
  if (!outer) return std::nullopt;
  const std::size_t outerEnd = pos + *outer;
  // A primitive string with a one-byte tag.
  if (pos >= outerEnd || (data[pos] & 0x20) != 0 || (data[pos] & 0x1F) == 0x1F) return std::nullopt;
  ++pos;
  const auto inner = readLength(data, pos, outerEnd);
  if (!inner) return std::nullopt;
  return Bytes(data.begin() + static_cast<std::ptrdiff_t>(pos), data.begin() + static_cast<std::ptrdiff_t>(pos + *inner));
}

}  // namespace

Certificate::Certificate()
    : OID_COMMON_NAME("2A83088C9B5508050501"),
      OID_SUB_STITUTE_CHARACTER_OF_COMMON_NAME("2A83088C9B5508050502"),
      OID_GENDER("2A83088C9B5508050503"),
      OID_DATE_OF_BIRTH("2A83088C9B5508050504"),
      OID_ADDRESS("2A83088C9B5508050505"),
      OID_SUB_STITUTE_CHARACTER_OF_ADDRESS("2A83088C9B5508050506") {}

std::optional<Bytes> Certificate::getSubjectAltNameCont(const Bytes& certificateData, const std::string& oid) const {
  const auto identifier = hexToBytes(oid);
  if (!identifier || identifier->size() > 0x7F) return std::nullopt;
  const std::size_t end = searchEnd(certificateData);
  const auto last = certificateData.begin() + static_cast<std::ptrdiff_t>(end);
  for (auto it = certificateData.begin(); it != last;) {
    it = std::search(it, last, identifier->begin(), identifier->end());
    if (it == last) break;
    const auto pos = static_cast<std::size_t>(it - certificateData.begin());
    if (auto value = entryValue(certificateData, pos, identifier->size(), end)) return value;
    ++it;
  }
  return std::nullopt;
}

bool Certificate::isWholeCertificate(const Bytes& der) { return wholeCertificate(der) != nullptr; }

std::optional<std::size_t> Certificate::rsaModulusLength(const Bytes& der) {
  const auto x509 = wholeCertificate(der);
  if (!x509) return std::nullopt;
  EVP_PKEY* key = X509_get0_pubkey(x509.get());
  if (!key || EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA) return std::nullopt;
  const int bits = EVP_PKEY_get_bits(key);
  if (bits <= 0) return std::nullopt;
  return (static_cast<std::size_t>(bits) + 7) / 8;
}

}  // namespace ekyc
