#pragma once
// The card surface and the licence data read in one tap. It has no dictionary or JSON form of its
// own; the host reads its two records.
#include <optional>

#include "CardPrintInfo/CardPrintInfo.hpp"
#include "MynaDriverLicense/MynaDriverLicense.hpp"

namespace ekyc {

class CardPrintInfoAndMynaDriverLicense {
 public:
  std::optional<CardPrintInfo> cardPrintInfo;
  std::optional<MynaDriverLicense> mynaDriverLicense;

  CardPrintInfoAndMynaDriverLicense(std::optional<CardPrintInfo> cardPrintInfo,
                                    std::optional<MynaDriverLicense> mynaDriverLicense)
      : cardPrintInfo(std::move(cardPrintInfo)), mynaDriverLicense(std::move(mynaDriverLicense)) {}

  const std::optional<CardPrintInfo>& getCardPrintInfo() const { return cardPrintInfo; }
  const std::optional<MynaDriverLicense>& getMynaDriverLicense() const { return mynaDriverLicense; }
};

}  // namespace ekyc
