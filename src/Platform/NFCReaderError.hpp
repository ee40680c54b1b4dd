#pragma once
// Errors of the NFC session layer. A session's end is reported with an NFCError: a reader error
// (isReaderError, told apart by code) or another error (isReaderError false).
#include <string>

namespace ekyc {

enum class NFCReaderErrorCode : int {
  readerTransceiveErrorTagConnectionLost = 100,
  readerTransceiveErrorRetryExceeded = 101,
  readerTransceiveErrorTagResponseError = 102,
  readerTransceiveErrorSessionInvalidated = 103,
  readerTransceiveErrorTagNotConnected = 104,
  readerSessionInvalidationErrorUserCanceled = 200,
  readerSessionInvalidationErrorSessionTimeout = 201,
  readerSessionInvalidationErrorSessionTerminatedUnexpectedly = 202,
  readerSessionInvalidationErrorSystemIsBusy = 203,
  readerSessionInvalidationErrorFirstNDEFTagRead = 204,
};

struct NFCError {
  bool isReaderError = true;  // false: an error that is not an NFCReaderError
  int code = 0;               // an NFCReaderErrorCode value when isReaderError
  std::string message;

  static NFCError reader(NFCReaderErrorCode c, std::string msg = {}) {
    return NFCError{true, static_cast<int>(c), std::move(msg)};
  }
  static NFCError other(std::string msg) { return NFCError{false, 0, std::move(msg)}; }
};

}  // namespace ekyc
