#pragma once
// The result a reader delivers to its host's delegate: the record on success, a case of the
// request's error enumeration on failure.
#include <expected>

namespace ekyc {

template <class Record, class Error>
using Result = std::expected<Record, Error>;

}  // namespace ekyc
