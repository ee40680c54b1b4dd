#pragma once
// The two records read in one tap: the card surface and the individual number. It has no
// dictionary or JSON form of its own; the host reads its two records.
#include <optional>

#include "CardPrintInfo/CardPrintInfo.hpp"
#include "MyNumber/MyNumberInfo.hpp"

namespace ekyc {

class CardPrintInfoAndMyNumberInfo {
 public:
  std::optional<CardPrintInfo> cardPrintInfo;
  std::optional<MyNumberInfo> myNumberInfo;

  CardPrintInfoAndMyNumberInfo(std::optional<CardPrintInfo> cardPrintInfo, std::optional<MyNumberInfo> myNumberInfo)
      : cardPrintInfo(std::move(cardPrintInfo)), myNumberInfo(std::move(myNumberInfo)) {}

  const std::optional<CardPrintInfo>& getCardPrintInfo() const { return cardPrintInfo; }
  const std::optional<MyNumberInfo>& getMyNumberInfo() const { return myNumberInfo; }
};

}  // namespace ekyc
