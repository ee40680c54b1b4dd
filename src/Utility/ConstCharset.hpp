#pragma once
// Characters that licence text holds outside JIS X 0208 proper: the JIS X 0213 Roman numerals,
// which EUC-JP decoding does not know, with their UTF-8 bytes as hex text.
#include <map>
#include <string>
#include <vector>

namespace ekyc {

class ConstCharset {
 public:
  ConstCharset();

  // The 24 JIS codes as 4-digit upper-case hex text: Roman numerals one to twelve, upper then
  // lower case.
  const std::vector<std::string> ROMAN_NUMS_OF_JIS;
  // Each of those codes to the upper-case hex text of its character's UTF-8 bytes
  // ("2D35" -> "E285A0", U+2160).
  const std::map<std::string, std::string> VUDI_LIBRARY_JIS_TO_UTF8_MAPPING_TABLE;
};

}  // namespace ekyc
