#pragma once
// The shared machinery of the error enumerations (SignatureDataError, MyNumberInfoError, ...).
//
// An enumeration is declared in a few lines, as a table of its cases in declaration order with
// their result codes:
//
//   #define EKYC_CARD_SURFACE_ERROR_CASES(X)  (each line but the last ends in a backslash)
//     X(notNfcTagReadAvailable, 11001)
//     X(notSetPin, 12002)
//     ...
//     X(unknown, 99999)
//   EKYC_ERROR_ENUMERATION(MyNumberInfoError, EKYC_CARD_SURFACE_ERROR_CASES);
//
// (inside namespace ekyc). Enumerations with the very same cases declare the table once and each
// instantiate it (Error/MyNumberInfoError.hpp); they stay distinct classes. That gives the
// class MyNumberInfoError with
//   - the nested `enum class Case { notNfcTagReadAvailable, notSetPin, ... }`;
//   - one factory per case, named after it: `MyNumberInfoError::notSetPin()`,
//     `MyNumberInfoError::failVerifyRetry({.retryCount = 3})`,
//     `DriverLicenseError::notSetPin({.label = Const().DRIVERLICENSE_PIN1})`; the text comes from
//     ConstResult with the composition rules of ErrorDetail (Error/ErrorValue.hpp);
//   - `errorCode`, `localizedDescription`, `retryCount`, `httpStatus`, `intErrFlag`;
//   - `errorCase()`, `caseName()`, and the generic `make(Case, detail)`, `fromCode(code, detail)`
//     and `hasCode(code)` that the shared reader support uses to build the right case of any
//     enumeration from a result code.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "Error/ErrorValue.hpp"

namespace ekyc {

template <class CaseT>
struct ErrorCaseEntry {
  CaseT errorCase;
  std::int64_t code;
  std::string_view name;
};

// True when no two entries of a case table share a code.
template <class Entry, std::size_t N>
constexpr bool errorCodesAreUnique(const Entry (&cases)[N]) {
  for (std::size_t i = 0; i < N; ++i)
    for (std::size_t j = i + 1; j < N; ++j)
      if (cases[i].code == cases[j].code) return false;
  return true;
}

template <class Derived>
class ErrorEnumeration : public ErrorValue {
 public:
  // The case of this value.
  auto errorCase() const { return static_cast<typename Derived::Case>(caseIndex_); }
  // The case's name as declared, e.g. "failVerifyRetry".
  std::string_view caseName() const { return Derived::cases[caseIndex_].name; }

  // The value of a case.
  template <class D = Derived>
  static D make(typename D::Case errorCase, const ErrorDetail& detail = {}) {
    const auto index = static_cast<std::size_t>(errorCase);
    return D(index, D::cases[index].code, detail);
  }

  // The value of the case raised with this code; absent when the enumeration has no such case.
  template <class D = Derived>
  static std::optional<D> fromCode(std::int64_t code, const ErrorDetail& detail = {}) {
    for (const auto& entry : D::cases)
      if (entry.code == code) return make<D>(entry.errorCase, detail);
    return std::nullopt;
  }

  // Whether the enumeration has a case raised with this code.
  static constexpr bool hasCode(std::int64_t code) {
    for (const auto& entry : Derived::cases)
      if (entry.code == code) return true;
    return false;
  }

  friend bool operator==(const Derived& a, const Derived& b) { return a.sameValue(b); }

 protected:
  ErrorEnumeration(std::size_t caseIndex, std::int64_t code, const ErrorDetail& detail)
      : ErrorValue(caseIndex, code, detail) {}
};

}  // namespace ekyc

#define EKYC_DETAIL_ERROR_ENUMERATOR(name, code) name,
#define EKYC_DETAIL_ERROR_ENTRY(name, code) ::ekyc::ErrorCaseEntry<Case>{Case::name, code, #name},
#define EKYC_DETAIL_ERROR_FACTORY(name, code) \
  static Self name(const ::ekyc::ErrorDetail& detail = {}) { return make<Self>(Case::name, detail); }

// Declares the error enumeration `Name` from its case table CASES(X), X(caseName, code) per case.
#define EKYC_ERROR_ENUMERATION(Name, CASES)                                              \
  class Name : public ::ekyc::ErrorEnumeration<Name> {                                  \
   public:                                                                               \
    using Self = Name;                                                                   \
    enum class Case { CASES(EKYC_DETAIL_ERROR_ENUMERATOR) };                            \
    static constexpr ::ekyc::ErrorCaseEntry<Case> cases[] = {CASES(EKYC_DETAIL_ERROR_ENTRY)}; \
    CASES(EKYC_DETAIL_ERROR_FACTORY)                                                     \
                                                                                         \
   private:                                                                              \
    friend class ::ekyc::ErrorEnumeration<Name>;                                         \
    Name(std::size_t caseIndex, std::int64_t code, const ::ekyc::ErrorDetail& detail)    \
        : ::ekyc::ErrorEnumeration<Name>(caseIndex, code, detail) {}                     \
  };                                                                                     \
  static_assert(::ekyc::errorCodesAreUnique(Name::cases), #Name " has two cases with one code")
