// Verifying and making signatures with CryptoAPI.
#include "update/signature.h"

#include "update/pem.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>

// The headers declare SHA-256 only for newer Windows than the program targets;
// the AES provider knows it all the same.
#ifndef CALG_SHA_256
#define CALG_SHA_256 (ALG_CLASS_HASH | ALG_TYPE_ANY | 12)
#endif

namespace kestrune {

namespace {

// The PEM of the trusted public key, generated from the build's key file.
const char kBuiltInPublicKey[] = {
#include "update_public_key.inc"
};

class CryptoProvider {
public:
    CryptoProvider()
    {
        if (!CryptAcquireContextA(&handle_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
            handle_ = 0;
    }
    ~CryptoProvider()
    {
        if (handle_ != 0)
            CryptReleaseContext(handle_, 0);
    }
    CryptoProvider(const CryptoProvider&) = delete;
    CryptoProvider& operator=(const CryptoProvider&) = delete;
    HCRYPTPROV get() const { return handle_; }

private:
    HCRYPTPROV handle_ = 0;
};

class CryptoKey {
public:
    ~CryptoKey()
    {
        if (handle_ != 0)
            CryptDestroyKey(handle_);
    }
    HCRYPTKEY* out() { return &handle_; }
    HCRYPTKEY get() const { return handle_; }

private:
    HCRYPTKEY handle_ = 0;
};

class CryptoHash {
public:
    ~CryptoHash()
    {
        if (handle_ != 0)
            CryptDestroyHash(handle_);
    }
    HCRYPTHASH* out() { return &handle_; }
    HCRYPTHASH get() const { return handle_; }

private:
    HCRYPTHASH handle_ = 0;
};

// What CryptDecodeObjectEx allocates.
class DecodedObject {
public:
    ~DecodedObject()
    {
        if (data_ != nullptr)
            LocalFree(data_);
    }
    void* data_ = nullptr;
    DWORD size_ = 0;
};

bool decode(LPCSTR type, const std::string& der, DecodedObject& object)
{
    return CryptDecodeObjectEx(X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, type,
                               reinterpret_cast<const BYTE*>(der.data()),
                               static_cast<DWORD>(der.size()), CRYPT_DECODE_ALLOC_FLAG, nullptr,
                               &object.data_, &object.size_) != FALSE;
}

bool hashOf(HCRYPTPROV provider, const std::string& data, CryptoHash& hash)
{
    if (!CryptCreateHash(provider, CALG_SHA_256, 0, 0, hash.out()))
        return false;
    // One call per block: CryptHashData takes a DWORD length.
    const size_t block = 1 << 20;
    for (size_t at = 0; at < data.size(); at += block) {
        DWORD length = static_cast<DWORD>(std::min(block, data.size() - at));
        if (!CryptHashData(hash.get(), reinterpret_cast<const BYTE*>(data.data() + at), length, 0))
            return false;
    }
    return true;
}

DWORD keyBytes(HCRYPTKEY key)
{
    DWORD bits = 0;
    DWORD size = sizeof bits;
    if (!CryptGetKeyParam(key, KP_KEYLEN, reinterpret_cast<BYTE*>(&bits), &size, 0))
        return 0;
    return bits / 8;
}

}  // namespace

const std::string& builtInPublicKey()
{
    static const std::string key(kBuiltInPublicKey, sizeof kBuiltInPublicKey);
    return key;
}

SignatureCheck verifySignature(const std::string& data, const std::string& signature,
                               const std::string& publicKeyPem)
{
    std::string der;
    if (!pemBody(publicKeyPem, "PUBLIC KEY", der))
        return SignatureCheck::NoKey;
    CryptoProvider provider;
    if (provider.get() == 0)
        return SignatureCheck::NoKey;
    DecodedObject info;
    if (!decode(X509_PUBLIC_KEY_INFO, der, info))
        return SignatureCheck::NoKey;
    CryptoKey key;
    if (!CryptImportPublicKeyInfo(provider.get(), X509_ASN_ENCODING | PKCS_7_ASN_ENCODING,
                                  static_cast<CERT_PUBLIC_KEY_INFO*>(info.data_), key.out()))
        return SignatureCheck::NoKey;
    DWORD length = keyBytes(key.get());
    if (length == 0)
        return SignatureCheck::NoKey;
    // A signature is exactly as long as the key's modulus.
    if (signature.size() != length)
        return SignatureCheck::Bad;
    CryptoHash hash;
    if (!hashOf(provider.get(), data, hash))
        return SignatureCheck::Bad;
    // CryptoAPI keeps signatures least significant byte first; openssl most.
    std::string reversed(signature.rbegin(), signature.rend());
    if (!CryptVerifySignatureA(hash.get(), reinterpret_cast<const BYTE*>(reversed.data()), length,
                               key.get(), nullptr, 0))
        return SignatureCheck::Bad;
    return SignatureCheck::Good;
}

bool sha256Hex(const std::string& data, std::string& hex)
{
    hex.clear();
    CryptoProvider provider;
    CryptoHash hash;
    unsigned char digest[32];
    DWORD length = sizeof digest;
    if (provider.get() == 0 || !hashOf(provider.get(), data, hash) ||
        !CryptGetHashParam(hash.get(), HP_HASHVAL, digest, &length, 0) || length != sizeof digest)
        return false;
    const char* digits = "0123456789abcdef";
    for (unsigned char byte : digest) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0x0F];
    }
    return true;
}

bool signData(const std::string& data, const std::string& privateKeyPem, std::string& signature)
{
    signature.clear();
    std::string der;
    if (!rsaPrivateKeyFromPem(privateKeyPem, der))
        return false;
    DecodedObject blob;
    if (!decode(PKCS_RSA_PRIVATE_KEY, der, blob))
        return false;
    CryptoProvider provider;
    if (provider.get() == 0)
        return false;
    CryptoKey key;
    if (!CryptImportKey(provider.get(), static_cast<const BYTE*>(blob.data_), blob.size_, 0, 0,
                        key.out()))
        return false;
    CryptoHash hash;
    if (!hashOf(provider.get(), data, hash))
        return false;
    DWORD length = 0;
    if (!CryptSignHashA(hash.get(), AT_KEYEXCHANGE, nullptr, 0, nullptr, &length) || length == 0)
        return false;
    std::string bytes(length, '\0');
    if (!CryptSignHashA(hash.get(), AT_KEYEXCHANGE, nullptr, 0,
                        reinterpret_cast<BYTE*>(&bytes[0]), &length))
        return false;
    bytes.resize(length);
    signature.assign(bytes.rbegin(), bytes.rend());
    return true;
}

}  // namespace kestrune
