#include "Platform/PcscContext.hpp"

#include <PCSC/pcsclite.h>

namespace ekyc {

std::shared_ptr<PcscContext> PcscContext::establish(LONG* error) {
  SCARDCONTEXT handle = 0;
  const LONG rv = SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &handle);
  if (error) *error = rv;
  if (rv != SCARD_S_SUCCESS) return nullptr;
  return std::shared_ptr<PcscContext>(new PcscContext(handle));
}

PcscContext::~PcscContext() { SCardReleaseContext(handle_); }

void PcscContext::cancel() const { SCardCancel(handle_); }

std::vector<std::string> PcscContext::readers(LONG* error) const {
  std::vector<std::string> names;
  DWORD size = 0;
  LONG rv = SCardListReaders(handle_, nullptr, nullptr, &size);
  if (rv == SCARD_S_SUCCESS && size > 0) {
    std::string buffer(size, '\0');
    rv = SCardListReaders(handle_, nullptr, buffer.data(), &size);
    if (rv == SCARD_S_SUCCESS) {
      // A multi-string: names separated by NUL, ended by an empty one.
      for (std::size_t at = 0; at < buffer.size() && buffer[at] != '\0';) {
        std::string name(buffer.c_str() + at);
        at += name.size() + 1;
        names.push_back(std::move(name));
      }
    }
  }
  if (error) *error = rv;
  return names;
}

std::string PcscContext::describe(LONG result) { return pcsc_stringify_error(result); }

}  // namespace ekyc
