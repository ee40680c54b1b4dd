#pragma once
// The reader behind every NFC session of a Platform: it tells whether reading is possible, waits
// for cards in its field, and knows the sessions that run on it, so that the host can cancel them
// as a user closing the NFC sheet would.
//
// One session at a time has the card: a session that begins ends every other session on the
// reader (as a cancel, 200), and waits until those have let the card go (reset it) before it
// looks for a card itself.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <expected>
#include <memory>
#include <mutex>
#include <stop_token>
#include <vector>

#include "Platform/CardConnection.hpp"
#include "Platform/NFCReaderError.hpp"

namespace ekyc {

class CardReaderSession;
class NFCTagReaderSession;

class CardReader {
 public:
  virtual ~CardReader() = default;

  // Whether this reader can read cards at all (NFCTagReaderSession::readingAvailable).
  virtual bool isAvailable() = 0;
  // Whether a new session may be created now; false makes NFCTagReaderSession::create fail.
  virtual bool acceptsNewSession() { return true; }
  // Blocks until cards are in the field and returns them (the list may be empty when the field
  // reports nothing usable), until stop is triggered, or until the reader fails (an error that
  // ends the waiting session).
  virtual std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> waitForCards(
      std::stop_token stop) = 0;

  // Ends every session running on this reader as a user closing the sheet would (error 200).
  // Returns how many sessions it ended.
  std::size_t cancelBySheet();
  // The number of sessions that have begun and not yet let the card go.
  std::size_t activeSessionCount() const;
  // Blocks until every session that has begun on this reader has let the card go (its last card
  // I/O, the reset, done), at most `bound`; true when none holds it any more. It never blocks a
  // session queue's thread, nor a thread inside a session's alert presenter (a session may need
  // that thread to go on): there it only answers.
  bool waitUntilReleased(std::chrono::milliseconds bound);
  // The same for the given sessions only (those one requester began); others are not waited for.
  bool waitUntilReleased(std::chrono::milliseconds bound,
                         const std::vector<std::shared_ptr<NFCTagReaderSession>>& sessions);

 protected:
  // Test seams, empty here. Both run on the thread beginning `session`, once it has begun: the
  // first before this reader registers it, the second after it has registered it (not for a
  // session it refuses), before the session records that. A test's reader ends the session in one
  // of them, to force an end that otherwise meets the begin only by chance.
  virtual void beforeRegistering(CardReaderSession& /*session*/) {}
  virtual void afterRegistering(CardReaderSession& /*session*/) {}

 private:
  friend class CardReaderSession;
  // Registers a session that begins and ends the others (outside the lock); false, doing
  // nothing, for a session that has ended already.
  bool sessionBegan(const std::shared_ptr<CardReaderSession>& session);
  // Blocks until no session that began before this one still holds the card; false when stopped.
  bool waitForTurn(const CardReaderSession* session, std::stop_token stop);
  // The session has let the card go.
  void sessionEnded(const CardReaderSession* session);
  // Waits for `released` under sessionsMutex_, as waitUntilReleased describes.
  template <class Released>
  bool waitFor(std::chrono::milliseconds bound, Released released);

  mutable std::mutex sessionsMutex_;
  std::condition_variable_any released_;
  std::vector<std::weak_ptr<CardReaderSession>> sessions_;
  std::vector<const CardReaderSession*> holders_;  // in the order they began
};

}  // namespace ekyc
