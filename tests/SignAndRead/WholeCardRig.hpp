#pragma once
// The rig of the sign-and-read and licence-data tests: the card-surface rig with the whole
// Individual Number Card (JPKI, card surface, input support, licence data) and one runner for the
// six readers, so that each behaviour is one table over them. The
// outcome of a request is what the host received (one line per delegate or back-channel call in
// rig.log) and, on success, the parts of the record.
#include <optional>
#include <string>
#include <tuple>

#include "CardPrintInfoAndMynaDriverLicense/CardPrintInfoAndMynaDriverLicenseReader.hpp"
#include "CardSurface/CardSurfaceTestSupport.hpp"
#include "JpkiTestSupport.hpp"
#include "MynaDriverLicense/MynaDriverLicenseReader.hpp"
#include "Platform/VirtualCard/JpkiApplication.hpp"
#include "Platform/VirtualCard/MynaDriverLicenseApplication.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMyNumberInfo/SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndMynaDriverLicense/SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader.hpp"
#include "SignatureDataAndBasicPersonalInfoAndPromptedPii/SignatureDataAndBasicPersonalInfoAndPromptedPiiReader.hpp"
#include "SignatureDataAndMyNumberInfo/SignatureDataAndMyNumberInfoReader.hpp"
#include "Support/RunLoopPump.hpp"

namespace ekyc::test {

// The three sign-and-read requests, then the three with the licence data.
enum class Req { myNumber, basicMyNumber, basicPromptedPii, licence, licenceWithCardPrint, licenceWithSignature };
inline constexpr Req ALL_REQUESTS[] = {Req::myNumber, Req::basicMyNumber, Req::basicPromptedPii,
                                       Req::licence, Req::licenceWithCardPrint, Req::licenceWithSignature};

inline bool isLicence(Req kind) { return kind >= Req::licence; }
inline std::string nameOf(Req kind) {
  const char* const names[] = {"SignatureDataAndMyNumberInfoReader",
                               "SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader",
                               "SignatureDataAndBasicPersonalInfoAndPromptedPiiReader",
                               "MynaDriverLicenseReader",
                               "CardPrintInfoAndMynaDriverLicenseReader",
                               "SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader"};
  return names[static_cast<int>(kind)];
}
inline void PrintTo(Req kind, std::ostream* os) { *os << nameOf(kind); }
inline std::string paramName(const ::testing::TestParamInfo<Req>& info) { return nameOf(info.param); }

struct Outcome {
  std::size_t results = 0;
  bool ok = false;
  std::int64_t code = 0;
  std::string message;
  std::optional<std::int64_t> retryCount, httpStatus, intErrFlag;
  std::optional<SignatureData> signatureData;
  std::optional<BasicPersonalInfo> basicPersonalInfo;
  std::optional<MyNumberInfo> myNumberInfo;
  std::optional<PromptedPii> promptedPii;
  std::optional<CardPrintInfo> cardPrintInfo;
  std::optional<MynaDriverLicense> licence;
};

// The result delegate of the six readers: logs "result(ok)" or "result(<code>)" and keeps the outcome.
class WholeCardResults : public SignatureDataAndMyNumberInfoReaderDelegate,
                         public SignatureDataAndBasicPersonalInfoAndMyNumberInfoReaderDelegate,
                         public SignatureDataAndBasicPersonalInfoAndPromptedPiiReaderDelegate,
                         public MynaDriverLicenseReaderDelegate,
                         public CardPrintInfoAndMynaDriverLicenseReaderDelegate,
                         public SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReaderDelegate {
 public:
  explicit WholeCardResults(std::shared_ptr<EventLog> log) : log_(std::move(log)) {}
  void didSignAndGetMyNumberInfo(
      const std::expected<SignatureDataAndMyNumberInfo, SignatureDataAndMyNumberInfoError>& r) override {
    keep(r);
  }
  void didSignAndGetBasicPersonalInfoAndGetMyNumber(
      const std::expected<SignatureDataAndBasicPersonalInfoAndMyNumberInfo,
                          SignatureDataAndBasicPersonalInfoAndMyNumberInfoError>& r) override {
    keep(r);
  }
  void didSignAndGetBasicPersonalInfoAndGetPromptedPii(
      const std::expected<SignatureDataAndBasicPersonalInfoAndPromptedPii,
                          SignatureDataAndBasicPersonalInfoAndPromptedPiiError>& r) override {
    keep(r);
  }
  void didGetMynaDriverLicense(const std::expected<MynaDriverLicense, MynaDriverLicenseError>& r) override { keep(r); }
  void didGetCardPrintInfoAndGetMynaDriverLicense(
      const std::expected<CardPrintInfoAndMynaDriverLicense, CardPrintInfoAndMynaDriverLicenseError>& r) override {
    keep(r);
  }
  void didSignAndGetBasicPersonalInfoAndGetMynaDriverLicense(
      const std::expected<SignatureDataAndBasicPersonalInfoAndMynaDriverLicense,
                          SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseError>& r) override {
    keep(r);
  }
  Outcome outcome() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return outcome_;
  }

 private:
  template <class Result>
  void keep(const Result& r) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto& o = outcome_;
      ++o.results;
      o.ok = r.has_value();
      if (r) {
        const auto& v = *r;
        if constexpr (std::is_same_v<std::remove_cvref_t<decltype(v)>, MynaDriverLicense>) o.licence = v;
        if constexpr (requires { v.getMynaDriverLicense(); }) o.licence = v.getMynaDriverLicense();
        if constexpr (requires { v.getCardPrintInfo(); }) o.cardPrintInfo = v.getCardPrintInfo();
        if constexpr (requires { v.getSignatureData(); }) o.signatureData = v.getSignatureData();
        if constexpr (requires { v.getBasicPersonalInfo(); }) o.basicPersonalInfo = v.getBasicPersonalInfo();
        if constexpr (requires { v.getMyNumberInfo(); }) o.myNumberInfo = v.getMyNumberInfo();
        if constexpr (requires { v.getPromptedPii(); }) o.promptedPii = v.getPromptedPii();
      } else {
        const auto& e = r.error();
        std::tie(o.code, o.message, o.retryCount, o.httpStatus, o.intErrFlag) =
            std::tie(e.errorCode, e.localizedDescription, e.retryCount, e.httpStatus, e.intErrFlag);
      }
    }
    log_->add(r ? "result(ok)" : "result(" + std::to_string(r.error().errorCode) + ")");
  }
  std::shared_ptr<EventLog> log_;
  mutable std::mutex mutex_;
  Outcome outcome_;
};

// What the host asks: the data to sign (base64) and its hash name, the reader's two PINs (the first:
// signing or card-surface PIN; the second: individual-number, input-support or licence PIN, the only
// one of the licence data alone), each the card's own when unset and asked for with the dialog when
// ask* is set, the application id (absent: the entry without one) and the fold flag (the licence
// reader always folds).
struct Request {
  std::optional<std::string> tbs = "ZWt5YyB0ZXN0IGRhdGE=";  // "ekyc test data"
  std::string hash = "SHA-256";
  std::optional<std::string> firstPin{}, secondPin{};
  bool askFirst = false, askSecond = false;
  std::optional<std::string> appId{};
  bool include = false;
  double httpTimeout = 10.0;
};

class WholeCardRig : public CardSurfaceRig {
 public:
  MynaDriverLicenseApplication::Contents licence = MynaDriverLicenseApplication::make();
  std::optional<VirtualJpkiContents> jpkiVariant;  // the shared JPKI contents when unset

  const VirtualJpkiContents& jpki() const { return jpkiVariant ? *jpkiVariant : jpkiContents(); }
  void useJpki(const VirtualJpkiContents::Options& options) {
    jpkiVariant = VirtualJpkiContents::make(jpkiKeys(), options);
  }
  // The whole card from the current contents (change them first to play another card).
  std::shared_ptr<VirtualCard> makeWholeCard() {
    CardSurfaceApplications::Options options;
    options.holder = holder;
    auto whole = CardSurfaceApplications::makeCard(files, options);
    JpkiApplication::install(*whole, jpki());
    MynaDriverLicenseApplication::install(*whole, licence);
    return whole;
  }
  VirtualCard& presentWholeCard() {
    card = makeWholeCard();
    cardReader->present(card);
    return *card;
  }

  // The request `kind` until the result has arrived and the reader is gone.
  Outcome run(Req kind, Request q = {}) {
    auto out = std::make_shared<WholeCardResults>(log);
    const std::string ownFirst = kind == Req::licenceWithCardPrint ? holder.cardPrintInfoPin : "abcdef123";
    const std::string ownSecond = isLicence(kind)                 ? licence.pin
                                  : kind == Req::basicPromptedPii ? holder.promptedPiiPin
                                                                  : holder.myNumberPin;
    const auto first = q.askFirst ? std::nullopt : std::optional<std::string>(q.firstPin.value_or(ownFirst));
    const auto second = q.askSecond ? std::nullopt : std::optional<std::string>(q.secondPin.value_or(ownSecond));
    const auto& a = q.appId;
    switch (kind) {
      case Req::myNumber:
        CardSurfaceRig::run<SignatureDataAndMyNumberInfoReader>(out, [&](auto& r) {
          a ? r.signAndFetchMyNumber(q.tbs, q.hash, first, second, a)
            : r.signAndFetchMyNumber(q.tbs, q.hash, first, second);
        }, q.httpTimeout);
        break;
      case Req::basicMyNumber:
        CardSurfaceRig::run<SignatureDataAndBasicPersonalInfoAndMyNumberInfoReader>(out, [&](auto& r) {
          a ? r.signAndFetchMyNumberInfoAndFetchMyNumber(q.tbs, q.hash, first, second, q.include, a)
            : r.signAndFetchMyNumberInfoAndFetchMyNumber(q.tbs, q.hash, first, second, q.include);
        }, q.httpTimeout);
        break;
      case Req::basicPromptedPii:
        CardSurfaceRig::run<SignatureDataAndBasicPersonalInfoAndPromptedPiiReader>(out, [&](auto& r) {
          a ? r.signAndGetBasicPersonalInfoAndFetchPromptedPii(q.tbs, q.hash, first, second, q.include, a)
            : r.signAndGetBasicPersonalInfoAndFetchPromptedPii(q.tbs, q.hash, first, second, q.include);
        }, q.httpTimeout);
        break;
      case Req::licence:
        CardSurfaceRig::run<MynaDriverLicenseReader>(out, [&](auto& r) {
          a ? r.fetchMynaDriverLicense(a, second) : r.fetchMynaDriverLicense(second);
        }, q.httpTimeout);
        break;
      case Req::licenceWithCardPrint:
        CardSurfaceRig::run<CardPrintInfoAndMynaDriverLicenseReader>(out, [&](auto& r) {
          a ? r.fetchCardPrintInfoAndMynaDriverLicense(a, first, second)
            : r.fetchCardPrintInfoAndMynaDriverLicense(first, second);
        }, q.httpTimeout);
        break;
      case Req::licenceWithSignature:
        CardSurfaceRig::run<SignatureDataAndBasicPersonalInfoAndMynaDriverLicenseReader>(out, [&](auto& r) {
          a ? r.signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(q.tbs, q.hash, a, first, second, true)
            : r.signAndGetBasicPersonalInfoAndFetchMynaDriverLicense(q.tbs, q.hash, first, second, true);
        }, q.httpTimeout);
        break;
    }
    return out->outcome();
  }

};

// A successful request: the licence data as on the card; the data signed (alone, or for the
// readers with the basic items its digest and their hash folded in) with the card's signing key,
// and the certificate.
inline void expectSuccess(const WholeCardRig& rig, Req kind, const Outcome& out) {
  ASSERT_TRUE(out.ok) << nameOf(kind) << " " << out.message;
  if (isLicence(kind)) {
    EXPECT_EQ(out.licence ? out.licence->getEntriesRawData() : std::nullopt, rig.licence.entries) << nameOf(kind);
  }
  if (kind == Req::licence || kind == Req::licenceWithCardPrint) return;
  ASSERT_TRUE(out.signatureData && out.signatureData->signature() && out.signatureData->tbsData());
  EXPECT_EQ(out.signatureData->tbsData()->size(), kind == Req::myNumber ? 14u : 64u) << nameOf(kind);
  EXPECT_EQ(out.signatureData->signingCert(), rig.jpki().signingCertificate);
  EXPECT_TRUE(verifySignature(rig.jpki().signingCertificate, "SHA256", *out.signatureData->tbsData(),
                              *out.signatureData->signature()));
}

}  // namespace ekyc::test
