#include "Utility/ConstCharset.hpp"

namespace ekyc {

ConstCharset::ConstCharset()
    : ROMAN_NUMS_OF_JIS{"2D35", "2D36", "2D37", "2D38", "2D39", "2D3A", "2D3B", "2D3C",
                        "2D3D", "2D3E", "2D3F", "2D57", "2C35", "2C36", "2C37", "2C38",
                        "2C39", "2C3A", "2C3B", "2C3C", "2C3D", "2C3E", "2C3F", "2C40"},
      VUDI_LIBRARY_JIS_TO_UTF8_MAPPING_TABLE{
          {"2D35", "E285A0"}, {"2D36", "E285A1"}, {"2D37", "E285A2"}, {"2D38", "E285A3"},
          {"2D39", "E285A4"}, {"2D3A", "E285A5"}, {"2D3B", "E285A6"}, {"2D3C", "E285A7"},
          {"2D3D", "E285A8"}, {"2D3E", "E285A9"}, {"2D3F", "E285AA"}, {"2D57", "E285AB"},
          {"2C35", "E285B0"}, {"2C36", "E285B1"}, {"2C37", "E285B2"}, {"2C38", "E285B3"},
          {"2C39", "E285B4"}, {"2C3A", "E285B5"}, {"2C3B", "E285B6"}, {"2C3C", "E285B7"},
          {"2C3D", "E285B8"}, {"2C3E", "E285B9"}, {"2C3F", "E285BA"}, {"2C40", "E285BB"},
      } {}

}  // namespace ekyc
