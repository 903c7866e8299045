// PEM texts of RSA keys: the base64 body between the BEGIN and END lines,
// and the RSA key inside a PKCS#8 private key, whose envelope the platform's
// crypt32 does not always take off itself.
#pragma once

#include <string>

namespace kestrune {

// The decoded body of the first "-----BEGIN `label`-----" block of `pem`.
// False when there is no such block, no END line, or the body is not base64.
bool pemBody(const std::string& pem, const std::string& label, std::string& der);

// The PKCS#1 RSAPrivateKey held by a PKCS#8 PrivateKeyInfo (DER): checks the
// version 0 and the rsaEncryption algorithm and returns the OCTET STRING's
// content. False for anything else.
bool rsaKeyFromPkcs8(const std::string& der, std::string& rsaKey);

// The PKCS#1 RSAPrivateKey (DER) of a PEM private key: "BEGIN PRIVATE KEY"
// (PKCS#8, as `openssl genrsa` writes it) or "BEGIN RSA PRIVATE KEY".
bool rsaPrivateKeyFromPem(const std::string& pem, std::string& rsaKey);

}  // namespace kestrune
