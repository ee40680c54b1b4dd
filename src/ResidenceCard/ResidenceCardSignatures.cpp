#include "ResidenceCard/ResidenceCardSignatures.hpp"

#include <utility>

namespace ekyc {

ResidenceCardSignatures::ResidenceCardSignatures(std::optional<Bytes> checkCode_, std::optional<Bytes> certificate_)
    : checkCode(std::move(checkCode_)), certificate(std::move(certificate_)) {}

}  // namespace ekyc
