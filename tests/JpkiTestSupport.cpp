#include "JpkiTestSupport.hpp"

#include <memory>
#include <stdexcept>
#include <vector>

#include <openssl/evp.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include <libxml/c14n.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

namespace ekyc::test {

namespace {

// Fixed RSA-2048 test keys (the CA's, user authentication's, signing's, in this order) in the tests'
// data folder, so that each test process does not spend its time generating keys.
std::vector<EvpPkeyPtr> readKeys() {
  const std::string path = EKYC_TEST_DATA_DIR "/jpki-keys.pem";
  std::vector<EvpPkeyPtr> keys = VirtualCertificateAuthority::readKeys(path);
  if (keys.size() < 3) throw std::runtime_error("cannot read " + path);
  return keys;
}

}  // namespace

const VirtualJpkiContents::Keys& jpkiKeys() {
  static const VirtualJpkiContents::Keys keys = [] {
    auto read = readKeys();
    return VirtualJpkiContents::Keys{std::move(read[0]), std::move(read[1]), std::move(read[2])};
  }();
  return keys;
}

const VirtualJpkiContents& jpkiContents() {
  static const VirtualJpkiContents contents = VirtualJpkiContents::make(jpkiKeys());
  return contents;
}

Bytes sha(const Bytes& data, const std::string& opensslName) {
  Bytes out(EVP_MAX_MD_SIZE);
  unsigned int len = 0;
  const EVP_MD* md = EVP_get_digestbyname(opensslName.c_str());
  if (md == nullptr || EVP_Digest(data.data(), data.size(), out.data(), &len, md, nullptr) != 1) return {};
  out.resize(len);
  return out;
}

bool verifySignature(const Bytes& certificateDer, const std::string& opensslName, const Bytes& data,
                     const Bytes& signature) {
  const unsigned char* p = certificateDer.data();
  std::unique_ptr<X509, decltype(&X509_free)> cert(d2i_X509(nullptr, &p, static_cast<long>(certificateDer.size())),
                                                   X509_free);
  if (!cert) return false;
  const EVP_MD* md = EVP_get_digestbyname(opensslName.c_str());
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  EVP_PKEY_CTX* pctx = nullptr;
  if (md == nullptr || !ctx ||
      EVP_DigestVerifyInit(ctx.get(), &pctx, md, nullptr, X509_get0_pubkey(cert.get())) != 1 ||
      EVP_PKEY_CTX_set_rsa_padding(pctx, RSA_PKCS1_PADDING) != 1) {
    return false;
  }
  return EVP_DigestVerify(ctx.get(), signature.data(), signature.size(), data.data(), data.size()) == 1;
}

namespace {

xmlNode* findElement(xmlNode* node, const char* name) {
  for (xmlNode* n = node; n != nullptr; n = n->next) {
    if (n->type != XML_ELEMENT_NODE) continue;
    if (xmlStrcmp(n->name, reinterpret_cast<const xmlChar*>(name)) == 0) return n;
    if (xmlNode* found = findElement(n->children, name)) return found;
  }
  return nullptr;
}

std::string content(xmlNode* node) {
  if (node == nullptr) return {};
  xmlChar* text = xmlNodeGetContent(node);
  std::string out = text ? reinterpret_cast<const char*>(text) : "";
  xmlFree(text);
  return out;
}

std::string canonical(xmlDoc* doc) {
  xmlChar* out = nullptr;
  const int len = xmlC14NDocDumpMemory(doc, nullptr, XML_C14N_1_0, nullptr, 0, &out);
  std::string result = len >= 0 && out ? std::string(reinterpret_cast<const char*>(out), static_cast<std::size_t>(len)) : "";
  xmlFree(out);
  return result;
}

}  // namespace

XmlCheck checkXml(const std::string& document) {
  XmlCheck check;
  xmlDoc* doc = xmlReadMemory(document.data(), static_cast<int>(document.size()), "consent.xml", nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (doc == nullptr) return check;
  check.wellFormed = true;
  xmlNode* root = xmlDocGetRootElement(doc);
  check.rootName = reinterpret_cast<const char*>(root->name);
  for (xmlNode* n = root->last; n != nullptr; n = n->prev) {
    if (n->type == XML_ELEMENT_NODE) {
      check.lastChildOfRoot = reinterpret_cast<const char*>(n->name);
      break;
    }
  }
  if (xmlNode* signedInfo = findElement(root, "SignedInfo")) {
    xmlDoc* copy = xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0"));
    xmlDocSetRootElement(copy, xmlDocCopyNode(signedInfo, copy, 1));
    check.canonicalSignedInfo = canonical(copy);
    xmlFreeDoc(copy);
  }
  if (xmlNode* reference = findElement(root, "Reference")) {
    check.referenceHasUri = xmlHasProp(reference, reinterpret_cast<const xmlChar*>("URI")) != nullptr;
  }
  check.digestValue = content(findElement(root, "DigestValue"));
  check.signatureValue = content(findElement(root, "SignatureValue"));
  check.certificate = content(findElement(root, "X509Certificate"));
  if (xmlNode* signature = findElement(root, "Signature")) {
    check.signatureHasNamespace = signature->ns != nullptr || signature->nsDef != nullptr;
    xmlUnlinkNode(signature);
    xmlFreeNode(signature);
  }
  check.canonicalWithoutSignature = canonical(doc);
  xmlFreeDoc(doc);
  return check;
}

}  // namespace ekyc::test
