#pragma once
// The card-surface application and the input-support application of a virtual Individual Number
// Card, declared into a card emulator:
//   card surface  (AID D3 92 10 00 31 00 01 01 04 02): PIN files EF 0012 (14 digits) and EF 0013
//                 (12 digits); EF 0002 surface data after EF 0012, EF 0005 number image after
//                 EF 0013, EF 0004 certificate record always;
//   input support (AID D3 92 10 00 31 00 01 01 04 08): PIN files EF 0011 (4 digits), EF 0014
//                 (12 digits) and EF 0015 (14 digits); EF 0001 number after EF 0011 or EF 0014,
//                 EF 0002 basic items after EF 0011 or EF 0015, EF 0003 and EF 0004 after any of
//                 the three.
// Each PIN file keeps its own retry counter.
#include <cstdint>
#include <memory>
#include <string>

#include "Extension/Bytes.hpp"
#include "Platform/VirtualCard/CardSurfaceFiles.hpp"
#include "Platform/VirtualCard/CardSurfaceHolder.hpp"
#include "Platform/VirtualCard/CardSurfaceKeys.hpp"

namespace ekyc {

class VirtualCard;

class CardSurfaceApplications {
 public:
  static inline const std::string CARD_SURFACE = "card surface";
  static inline const std::string INPUT_SUPPORT = "input support";
  static inline const Bytes CARD_SURFACE_AID = {0xD3, 0x92, 0x10, 0x00, 0x31, 0x00, 0x01, 0x01, 0x04, 0x02};
  static inline const Bytes INPUT_SUPPORT_AID = {0xD3, 0x92, 0x10, 0x00, 0x31, 0x00, 0x01, 0x01, 0x04, 0x08};

  // PIN files.
  static constexpr std::uint16_t CS_CARD_PRINT_INFO_PIN = 0x0012;
  static constexpr std::uint16_t CS_MY_NUMBER_PIN = 0x0013;
  static constexpr std::uint16_t SUP_PROMPTED_PII_PIN = 0x0011;
  static constexpr std::uint16_t SUP_MY_NUMBER_PIN = 0x0014;
  static constexpr std::uint16_t SUP_CARD_PRINT_INFO_PIN = 0x0015;

  struct Options {
    CardSurfaceHolder holder = CardSurfaceHolder::sample();
    int cardPrintInfoPinTries = 10;
    int myNumberPinTries = 10;
    int promptedPiiPinTries = 3;
  };

  // Declares both applications with the given files into the card.
  static void install(VirtualCard& card, const CardSurfaceFiles& files, const Options& options);
  // A card holding just these two applications, with files built from the holder and the shared
  // keys (or the given files).
  static std::shared_ptr<VirtualCard> makeCard();
  static std::shared_ptr<VirtualCard> makeCard(const Options& options);
  static std::shared_ptr<VirtualCard> makeCard(const CardSurfaceFiles& files, const Options& options);
};

}  // namespace ekyc
