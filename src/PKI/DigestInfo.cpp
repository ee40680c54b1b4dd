#include "PKI/DigestInfo.hpp"

#include "Platform/Digest.hpp"
#include "Utility/Const.hpp"

namespace ekyc {

DigestInfo::DigestInfo(Bytes tbsData, std::string hashAlgorithm)
    : tbsData_(std::move(tbsData)), hashAlgorithm_(std::move(hashAlgorithm)) {}

Bytes DigestInfo::create() const {
  const Bytes digest = createDigest(tbsData_, hashAlgorithm_);
  const Bytes oid = getHashAlgorithmOidHex(hashAlgorithm_);
  // Every length fits one byte: the longest content (SHA-512) is 81 bytes.
  Bytes algorithm{0x06, static_cast<std::uint8_t>(oid.size())};
  algorithm.insert(algorithm.end(), oid.begin(), oid.end());
  algorithm.insert(algorithm.end(), {0x05, 0x00});
  Bytes inner{0x30, static_cast<std::uint8_t>(algorithm.size())};
  inner.insert(inner.end(), algorithm.begin(), algorithm.end());
  inner.insert(inner.end(), {0x04, static_cast<std::uint8_t>(digest.size())});
  inner.insert(inner.end(), digest.begin(), digest.end());
  Bytes out{0x30, static_cast<std::uint8_t>(inner.size())};
  out.insert(out.end(), inner.begin(), inner.end());
  return out;
}

int DigestInfo::getDigestBitLength() const {
  const Const c;
  if (hashAlgorithm_ == c.SHA384) return 384;
  if (hashAlgorithm_ == c.SHA512) return 512;
  return 256;
}

Bytes DigestInfo::createDigest(const Bytes& data, const std::string& name) const {
  const Const c;
  if (name == c.SHA256) return Digest::sha256(data);
  if (name == c.SHA384) return Digest::sha384(data);
  if (name == c.SHA512) return Digest::sha512(data);
  return Bytes{0x00};
}

Bytes DigestInfo::getHashAlgorithmOidHex(const std::string& name) const {
  const Const c;
  // 2.16.840.1.101.3.4.2.1, .2, .3
  Bytes prefix{0x60, 0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02};
  if (name == c.SHA256) prefix.push_back(0x01);
  else if (name == c.SHA384) prefix.push_back(0x02);
  else if (name == c.SHA512) prefix.push_back(0x03);
  else return Bytes{0x00};
  return prefix;
}

}  // namespace ekyc
