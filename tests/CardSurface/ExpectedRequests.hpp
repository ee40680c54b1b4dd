#pragma once
// The three texts of every card-surface and input-support verification request, worked out here
// from the card files alone (element slicing, SHA-256, base64, JSON written by hand), so that
// tests can hold what a reader or a record sends against an independent answer.
#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>

#include "Extension/Bytes.hpp"
#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/VirtualCard/CardSurfaceFiles.hpp"

namespace ekyc::test::expected {

// The length (short, 81 or 82 form) at `p` of a test's own file, `p` moved past it.
inline std::size_t lengthAt(const Bytes& file, std::size_t& p) {
  std::size_t n = file[p++];
  if (n == 0x81) {
    n = file[p++];
  } else if (n == 0x82) {
    n = (std::size_t(file[p]) << 8) | file[p + 1];
    p += 2;
  }
  return n;
}

// Elements of a constructed card file (two-byte tags, lengths up to 82), keyed by tag:
// tag -> (whole element, value).
inline std::map<int, std::pair<Bytes, Bytes>> inner(const Bytes& file) {
  std::map<int, std::pair<Bytes, Bytes>> out;
  std::size_t p = 2;
  const std::size_t end = p + lengthAt(file, p);
  while (p < end) {
    const std::size_t start = p;
    const int tag = (file[p] << 8) | file[p + 1];
    p += 2;
    const std::size_t n = lengthAt(file, p);
    out[tag] = {Bytes(file.begin() + long(start), file.begin() + long(p + n)),
                Bytes(file.begin() + long(p), file.begin() + long(p + n))};
    p += n;
  }
  return out;
}

// The file rebuilt with element `tag` left out (no `value`) or given `value`, padded with FF to its old size.
inline Bytes rebuilt(const Bytes& file, int tag, const std::optional<Bytes>& value) {
  Bytes content;
  for (const auto& [t, element] : inner(file)) {
    const Bytes whole = t != tag ? element.first
                        : value  ? CardSurfaceFiles::tlv({Bytes::value_type(t >> 8), Bytes::value_type(t)}, *value)
                                 : Bytes{};
    content.insert(content.end(), whole.begin(), whole.end());
  }
  Bytes out = CardSurfaceFiles::tlv({file[0], file[1]}, content);
  out.resize(file.size(), 0xFF);
  return out;
}
inline Bytes withoutElement(const Bytes& file, int tag) { return rebuilt(file, tag, std::nullopt); }
inline Bytes withValue(const Bytes& file, int tag, const Bytes& value) { return rebuilt(file, tag, value); }

// A licence file (flat, one-byte tags) rebuilt without the element `tag`, padded with FF.
inline Bytes withoutLicenceTag(const Bytes& file, std::uint8_t tag) {
  Bytes out;
  std::size_t p = 0;
  while (p + 1 < file.size() && file[p] != 0xFF) {
    std::size_t q = p + 1;
    const std::size_t n = lengthAt(file, q);
    if (file[p] != tag) out.insert(out.end(), file.begin() + long(p), file.begin() + long(q + n));
    p = q + n;
  }
  out.resize(file.size(), 0xFF);
  return out;
}

// The file with the length of its outer element one short (its last element then runs past it).
inline Bytes outerLengthOneShort(Bytes file) {
  const std::size_t last = file[2] == 0x82 ? 4 : file[2] == 0x81 ? 3 : 2;
  for (std::size_t i = last; i >= 2; --i) {
    if (file[i]-- != 0) break;  // borrow into the byte before
  }
  return file;
}

// Where the value of element `tag` starts in `file`.
inline std::size_t valueOffset(const Bytes& file, int tag) {
  const auto [whole, value] = inner(file).at(tag);
  const auto at = std::search(file.begin(), file.end(), whole.begin(), whole.end()) - file.begin();
  return std::size_t(at) + whole.size() - value.size();
}

inline std::string b64(const Bytes& b) { return Base64::encode(b); }
inline Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
// The two-element array of base64 texts, card-surface side first, as base64 of its UTF-8 text.
inline std::string arr(const std::string& a, const std::string& b) {
  return b64(toBytes("[\"" + a + "\",\"" + b + "\"]"));
}
inline std::string params(const Bytes& cert, const std::optional<Bytes>& hash = std::nullopt) {
  std::string json = "{\"publicKey\":\"" + b64(cert) + "\"";
  if (hash) json += ",\"hash\":\"" + b64(*hash) + "\"";
  return b64(toBytes(json + "}"));
}

struct Side {
  std::string expectedHash, signature, verifyingParams;
};
inline Side pair(const Side& a, const Side& b) {
  return {arr(a.expectedHash, b.expectedHash), arr(a.signature, b.signature), arr(a.verifyingParams, b.verifyingParams)};
}

// The three texts of each request type "11", "12", "13", "21", "22", "23", "32" for `files`.
inline std::map<std::string, Side> sides(const CardSurfaceFiles& files) {
  const auto cs2 = inner(files.csEf0002);
  const auto cs5 = inner(files.csEf0005);
  const auto sup2 = inner(files.supEf0002);
  const auto sup3 = inner(files.supEf0003);
  // The value of the 7F21 record (82 long form) of a certificate file.
  auto cert = [](const Bytes& file) {
    const std::size_t n = (std::size_t(file[3]) << 8) | file[4];
    return Bytes(file.begin() + 5, file.begin() + long(5 + n));
  };
  const Bytes csCert = cert(files.csEf0004), supCert = cert(files.supEf0004);
  auto w = [](const std::map<int, std::pair<Bytes, Bytes>>& m, int t) { return m.at(t).first; };
  const Bytes surface = cat({Digest::sha256(cat({w(cs2, 0xDF22), w(cs2, 0xDF23), w(cs2, 0xDF24)})),
                             Digest::sha256(cat({w(cs2, 0xDF25), w(cs2, 0xDF26)})), Digest::sha256(w(cs2, 0xDF27))});
  const Bytes items = cat({w(sup2, 0xDF22), w(sup2, 0xDF23), w(sup2, 0xDF24), w(sup2, 0xDF25)});
  const Bytes h1 = Digest::sha256(files.supEf0001), h2 = Digest::sha256(items);
  const Bytes supSig = sup3.at(0xDF33).second;
  std::map<std::string, Side> out;
  out["21"] = {b64(Digest::sha256(cat({w(cs5, 0xDF41), w(cs5, 0xDF42)}))), b64(cs5.at(0xDF43).second), params(csCert)};
  out["22"] = {b64(h1), b64(supSig), params(supCert, sup3.at(0xDF32).second)};
  out["11"] = {b64(surface), b64(cs2.at(0xDF28).second), params(csCert)};
  out["12"] = {b64(h2), b64(supSig), params(supCert, sup3.at(0xDF31).second)};
  out["32"] = {b64(Digest::sha256(cat({{0xDF, 0x31, 0x20}, h1, {0xDF, 0x32, 0x20}, h2}))), b64(supSig), params(supCert)};
  out["23"] = pair(out["21"], out["22"]);
  out["13"] = pair(out["11"], out["12"]);
  return out;
}

}  // namespace ekyc::test::expected
