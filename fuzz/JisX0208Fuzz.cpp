// JIS X 0208 licence text over any bytes: the conversions to UTF-8 (always valid UTF-8), EUC-JP
// text, the external characters and the previous-name split.
// fuzz-parser: Utility/Utility.cpp Platform/EucJp.cpp
#include <cstddef>
#include <cstdint>
#include <string>

#include "Platform/EucJp.hpp"
#include "Utility/Const.hpp"
#include "Utility/Utility.hpp"

using namespace ekyc;

namespace {
bool isUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
    if (n == 0 || i + n > text.size()) return false;
    for (std::size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Const c;
  const Utility utility;
  const Bytes text(data, data + size);
  if (!isUtf8(utility.convertDriverLicenseChar(text))) __builtin_trap();
  if (const auto myna = utility.convertMynaDriverLicenseChar(text); myna && !isUtf8(*myna)) __builtin_trap();
  if (const auto euc = utility.eucJpToUtf8(text); euc && !isUtf8(*euc)) __builtin_trap();
  if (!isUtf8(EucJp::decodeLossy(text))) __builtin_trap();
  if (const auto indexes = utility.getIndexesOfExternalChar(text)) {
    for (const int index : *indexes) {
      if (!utility.getExternalCharKey(text, 0, index)) __builtin_trap();
    }
  }
  utility.isIncludePreviousNameUsingJISX0208(text, c.JISX_0208_SQUARE_BRACKET_LEFT);
  const auto previous =
      utility.getPreviousNameUsingJISX0208(text, c.JISX_0208_SQUARE_BRACKET_LEFT, c.JISX_0208_SQUARE_BRACKET_RIGHT);
  const auto rest =
      utility.removePreviousNameUsingJISX0208(text, c.JISX_0208_SQUARE_BRACKET_LEFT, c.JISX_0208_SQUARE_BRACKET_RIGHT);
  if ((previous && previous->size() > size) || (rest && rest->size() > size)) __builtin_trap();
  return 0;
}
