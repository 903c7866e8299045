// PEM bodies and the PKCS#8 envelope: a body read is written back as base64
// and reads the same; a key taken out of its envelope lies inside it.
#include "fuzz_readers.h"

#include "update/pem.h"

#include <cstdlib>
#include <string>

namespace kestrune {

namespace {

std::string base64(const std::string& bytes)
{
    static const char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (size_t at = 0; at < bytes.size(); at += 3) {
        unsigned group = static_cast<unsigned char>(bytes[at]) << 16;
        if (at + 1 < bytes.size())
            group |= static_cast<unsigned char>(bytes[at + 1]) << 8;
        if (at + 2 < bytes.size())
            group |= static_cast<unsigned char>(bytes[at + 2]);
        for (size_t i = 0; i < 4; ++i)
            text += at + i <= bytes.size() ? digits[(group >> (18 - 6 * i)) & 0x3F] : '=';
        if (at % 57 == 54)
            text += "\n";
    }
    return text;
}

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
            !pemBody("-----BEGIN PUBLIC KEY-----\n" + base64(der) + "\n-----END PUBLIC KEY-----",
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
