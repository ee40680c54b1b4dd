#pragma once
// What the files of the card-surface and input-support applications must be, checked once for
// every reader that reads them and for the input-support record.
//
// Sound (the is...File checks): a file that fails one is corrupt, and a reader that parses it
// ends every request, with or without an application id, with its card-read failure (13999). A
// file is sound when it holds no template at all (it is empty, or filler FF FF from its first
// byte), or an empty one (FF20 00, FF30 00, FF40 00, 7F21 00: every element inside absent; the
// walk enters FF20, FF30 and FF40, so an empty one is exactly as no template, while 7F21 is stored
// whole, so an empty one is a present, empty certificate), or when it starts with its template,
// whole, whose content is a run of whole elements (none whose tag, length or value runs past the
// template) up to its end or the filler, and each element below that is present has the value
// the format fixes:
//   - input-support EF 0001: FF10 holding exactly 12 ASCII digits (the individual number);
//   - input-support EF 0003: FF30 { DF31, DF32 32-byte SHA-256 digests; DF33 the signature }, the
//     digests checked only where the reader keeps them;
//   - card-surface EF 0002: FF20 { DF21 .. DF2A; DF28 the signature };
//   - card-surface EF 0005: FF40 { DF41, DF42; DF43 the signature };
//   - input-support EF 0002: FF20 { DF21 .. DF25 };
//   - EF 0004 of either application: 7F21 { 5F4E, 5F37 } (the card-verifiable certificate).
// The format fixes no length for a signature: an empty one is kept as it is, and a verification
// request that needs it fails without contacting the server, as for a missing one.
//
// Every element is optional as far as the format goes. What a request cannot do without it
// requires of a sound file with holdsAll (each reader states its own): the individual number FF10,
// the image DF41 and its key data DF42, the elements of each signed source (card surface DF22 to
// DF27, basic items DF22 to DF25) and, where the final steps build verifying parameters from it,
// the certificate 7F21. Signatures (DF28, DF33, DF43), digests (DF31, DF32), DF29 and DF2A, and
// 5F4E and 5F37 inside the certificate are never required: a request without an application id
// delivers its record with them absent, and a verification request that needs one that is absent
// fails without contacting the server. An empty certificate is present: it gives verifying
// parameters with an empty key, and a verification request treats it as an empty signature.
#include <optional>
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"

namespace ekyc {

class CardFileFormat {
 public:
  // Exactly 12 ASCII digits.
  static bool isMyNumber(const Bytes& value);

  static bool isCertificateFile(const Bytes& file);
  static bool isNumberFile(const Bytes& file);
  static bool isBasicItemsFile(const Bytes& file);
  // `digests`: the digests (DF31, DF32) the reader keeps, each 32 bytes when present.
  static bool isIntegrityFile(const Bytes& file, const std::vector<std::string>& digests = {});
  static bool isCardSurfaceFile(const Bytes& file);
  static bool isNumberImageFile(const Bytes& file);

  // The certificate of an EF 0004: the value of its 7F21 (empty for 7F21 00), absent when the file
  // has none.
  static std::optional<Bytes> certificate(const Bytes& file);

  // Whether `file` holds each of `tags` with a value: the template, under the list's first tag,
  // and the elements inside it, under theirs.
  static bool holdsAll(const Bytes& file, const std::vector<std::string>& tagList, const std::vector<std::string>& tags);

 private:
  struct Sized {
    std::string tag;
    std::size_t size = 0;
  };
  // Whether `file` holds no template or an empty one, or starts with a whole element of the list's
  // first tag whose content is whole (with `inside`) and whose present listed elements have their
  // size.
  static bool sound(const Bytes& file, const std::vector<std::string>& tagList, const std::vector<Sized>& sized,
                    bool inside = true);
};

}  // namespace ekyc
