// The shared reader engine driven by hand: a session whose connect completes only when the test
// says so, to reach the order the platform allows but a card rarely shows.
#include <gtest/gtest.h>

#include "Auth/AuthSignatureDataGenerator.hpp"
#include "CardSurface/CardSurfaceTestSupport.hpp"

namespace ekyc::test {
namespace {

struct HeldSession : NFCTagReaderSession {
  std::function<void(std::optional<NFCError>)> pendingConnect;
  void setAlertMessage(const std::string&) override {}
  std::string alertMessage() const override { return ""; }
  void begin() override {}
  void connect(const std::shared_ptr<NFCTag>&, std::function<void(std::optional<NFCError>)> done) override {
    pendingConnect = std::move(done);
  }
  void invalidate() override {}
  void invalidate(const std::string&) override {}
  bool withdraw() override { return false; }
};

struct CountingTag : NFCTag, NFCISO7816Tag, std::enable_shared_from_this<CountingTag> {
  int sent = 0;
  std::shared_ptr<NFCISO7816Tag> iso7816() override { return shared_from_this(); }
  void sendCommand(const NFCISO7816APDU&, Completion) override { ++sent; }
};

struct AuthResults : AuthSignatureDataGeneratorDelegate {
  int count = 0;
  void didAuth(const std::expected<SignatureData, SignatureDataError>&) override { ++count; }
};

// A session that ends while the tag is being connected reports its end once; the connection that
// completes afterwards sends nothing and reports nothing more.
template <class Reader>
void expectNothingAfterTheEnd(Reader& reader, const std::function<int()>& results) {
  HeldSession session;
  auto tag = std::make_shared<CountingTag>();
  reader.tagReaderSession(session, std::vector<std::shared_ptr<NFCTag>>{tag});
  ASSERT_TRUE(session.pendingConnect);
  reader.tagReaderSession(session, NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled));
  EXPECT_EQ(results(), 1);
  session.pendingConnect(NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled));
  EXPECT_EQ(tag->sent, 0);
  EXPECT_EQ(results(), 1);
}

TEST(ReaderFrameTest, AConnectionThatCompletesAfterTheSessionEndedSendsNothing) {
  auto log = std::make_shared<EventLog>();
  auto results = std::make_shared<PromptedPiiResults>(log);
  auto reader = std::make_shared<PromptedPiiReader>(results, ReaderContext{});
  expectNothingAfterTheEnd(*reader, [&] { return static_cast<int>(results->results().size()); });
  EXPECT_EQ(results->results().front().error().errorCode, 13700);

  auto authResults = std::make_shared<AuthResults>();
  auto generator = std::make_shared<AuthSignatureDataGenerator>(authResults, ReaderContext{});
  expectNothingAfterTheEnd(*generator, [&] { return authResults->count; });
}

}  // namespace
}  // namespace ekyc::test
