// PEM bodies and the PKCS#8 envelope: a body read is written back as base64
// and reads the same; a key taken out of its envelope lies inside it.
#include "fuzz_readers.h"

#include "support/base64_text.h"
#include "update/pem.h"

#include <cstdlib>
#include <string>

namespace kestrune {

namespace {

void checkEnvelope(const std::string& der)
{
    std::string key;
    if (rsaKeyFromPkcs8(der, key) && der.find(key) == std::string::npos)
        std::abort();
}

}  // namespace

void fuzzPemOnce(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string der;
    if (pemBody(text, "PUBLIC KEY", der)) {
        std::string again;
        if (der.empty() ||
            !pemBody("-----BEGIN PUBLIC KEY-----\n" + test::base64Text(der) + "\n-----END PUBLIC KEY-----",
                     "PUBLIC KEY", again) ||
            again != der)
            std::abort();
    }
    std::string key;
    rsaPrivateKeyFromPem(text, key);
    if (pemBody(text, "PRIVATE KEY", der))
        checkEnvelope(der);
    // The bytes as DER themselves.
    checkEnvelope(text);
}

}  // namespace kestrune

KESTRUNE_FUZZ_TARGET(fuzzPemOnce)
