#include "ResidenceCard/ResidenceCardAddresses.hpp"

#include "Utility/Utility.hpp"

namespace ekyc {

ResidenceCardAddresses::ResidenceCardAddresses(std::optional<Bytes> date, std::optional<Bytes> code,
                                               std::optional<Bytes> address)
    : date_(std::move(date)), code_(std::move(code)), address_(std::move(address)) {}

std::optional<std::string> ResidenceCardAddresses::getDate() const { return Utility().dataToUTF8String(date_); }
std::optional<std::string> ResidenceCardAddresses::getCode() const { return Utility().dataToUTF8String(code_); }
std::optional<std::string> ResidenceCardAddresses::getAddress() const { return Utility().dataToUTF8String(address_); }

}  // namespace ekyc
