// The example host. It grows with each request the library gains.
#include <iostream>

#include "Platform/NFCISO7816APDU.hpp"

int main() {
  std::cout << "{\"demo\":\"nfc-ekyc\"}" << std::endl;
  return 0;
}
