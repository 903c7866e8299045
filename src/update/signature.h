// Signatures of reference files: RSA PKCS#1 v1.5 over SHA-256, in the byte
// order `openssl dgst -sha256 -sign` writes, checked and made with the
// platform's CryptoAPI. The key that update downloads must be signed with is
// built into the program (builtInPublicKey).
#pragma once

#include <string>

namespace kestrune {

// The longest signature file the update accepts (a 4096-bit key's is 512).
constexpr unsigned kMaxSignatureSize = 4096;

enum class SignatureCheck {
    Good,     // `signature` is the key's signature of exactly these bytes
    Bad,      // anything else: other data, another key, wrong length
    NoKey,    // the public key cannot be read or imported
};

// The PEM public key this build trusts for updates.
const std::string& builtInPublicKey();

// Checks `signature` (as openssl writes it) over `data` with `publicKeyPem`
// ("BEGIN PUBLIC KEY", as `openssl rsa -pubout` writes it).
SignatureCheck verifySignature(const std::string& data, const std::string& signature,
                               const std::string& publicKeyPem);

// Signs `data` with `privateKeyPem` ("BEGIN PRIVATE KEY" or "BEGIN RSA
// PRIVATE KEY"); `signature` gets the bytes openssl would write. False when
// the key cannot be read or used; `signature` is then empty.
bool signData(const std::string& data, const std::string& privateKeyPem, std::string& signature);

// The SHA-256 of `data` as 64 lower-case hex digits; false, with `hex`
// empty, when the platform's provider cannot make it.
bool sha256Hex(const std::string& data, std::string& hex);

}  // namespace kestrune
