#pragma once
// EUC-JP text (JIS X 0208 in two bytes with the top bits set, JIS X 0201 kana after 8E, JIS X 0212
// after 8F) to UTF-8, through glibc's iconv.
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace ekyc {

class EucJp {
 public:
  // The UTF-8 text, or absent when any byte sequence is not EUC-JP or has no Unicode mapping.
  static std::optional<std::string> decode(std::span<const std::uint8_t> eucJp);

  // Never fails: every sequence that does not decode becomes one U+FFFD (a well-formed two- or
  // three-byte code without mapping counts as one character; otherwise the single bad byte does),
  // and an incomplete character at the end becomes one U+FFFD.
  // Without a converter nothing decodes: each such sequence, or single byte, is one U+FFFD.
  static std::string decodeLossy(std::span<const std::uint8_t> eucJp);

  // decodeLossy, appended to `out`.
  static void appendLossy(std::span<const std::uint8_t> eucJp, std::string& out);
};

}  // namespace ekyc
