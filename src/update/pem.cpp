// PEM bodies and the PKCS#8 envelope.
#include "update/pem.h"

namespace kestrune {

namespace {

int base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

bool decodeBase64(const std::string& text, std::string& bytes)
{
    bytes.clear();
    unsigned bits = 0;
    int count = 0;
    int padding = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        int value = base64Value(c);
        if (value < 0 || padding > 0)
            return false;
        bits = (bits << 6) | static_cast<unsigned>(value);
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes.push_back(static_cast<char>((bits >> count) & 0xFF));
        }
    }
    return padding <= 2 && !bytes.empty();
}

// One DER element at `pos`: its tag and the range of its content. Only the
// definite lengths DER allows, up to four length bytes.
bool readElement(const std::string& der, size_t& pos, unsigned char& tag, size_t& start,
                 size_t& length)
{
    if (pos + 2 > der.size())
        return false;
    tag = static_cast<unsigned char>(der[pos]);
    unsigned char first = static_cast<unsigned char>(der[pos + 1]);
    pos += 2;
    if (first < 0x80) {
        length = first;
    } else {
        unsigned count = first & 0x7F;
        if (count == 0 || count > 4 || pos + count > der.size())
            return false;
        length = 0;
        for (unsigned i = 0; i < count; ++i)
            length = (length << 8) | static_cast<unsigned char>(der[pos++]);
    }
    if (length > der.size() - pos)
        return false;
    start = pos;
    return true;
}

const unsigned char kSequence = 0x30;
const unsigned char kInteger = 0x02;
const unsigned char kOctetString = 0x04;
const unsigned char kObjectId = 0x06;
// 1.2.840.113549.1.1.1, rsaEncryption.
const char kRsaEncryption[] = "\x2A\x86\x48\x86\xF7\x0D\x01\x01\x01";

}  // namespace

bool pemBody(const std::string& pem, const std::string& label, std::string& der)
{
    der.clear();
    const std::string begin = "-----BEGIN " + label + "-----";
    const std::string end = "-----END " + label + "-----";
    std::string::size_type first = pem.find(begin);
    if (first == std::string::npos)
        return false;
    first += begin.size();
    std::string::size_type last = pem.find(end, first);
    if (last == std::string::npos)
        return false;
    return decodeBase64(pem.substr(first, last - first), der);
}

bool rsaKeyFromPkcs8(const std::string& der, std::string& rsaKey)
{
    rsaKey.clear();
    size_t pos = 0, start = 0, length = 0;
    unsigned char tag = 0;
    // PrivateKeyInfo ::= SEQUENCE { version, AlgorithmIdentifier, OCTET STRING }
    if (!readElement(der, pos, tag, start, length) || tag != kSequence)
        return false;
    const size_t end = start + length;
    if (!readElement(der, pos, tag, start, length) || tag != kInteger || length != 1 ||
        der[start] != 0)
        return false;
    pos = start + length;
    if (!readElement(der, pos, tag, start, length) || tag != kSequence)
        return false;
    const size_t algorithmEnd = start + length;
    if (!readElement(der, pos, tag, start, length) || tag != kObjectId ||
        der.compare(start, length, kRsaEncryption, sizeof kRsaEncryption - 1) != 0)
        return false;
    pos = algorithmEnd;
    if (!readElement(der, pos, tag, start, length) || tag != kOctetString ||
        start + length > end)
        return false;
    rsaKey = der.substr(start, length);
    return true;
}

bool rsaPrivateKeyFromPem(const std::string& pem, std::string& rsaKey)
{
    std::string der;
    if (pemBody(pem, "PRIVATE KEY", der))
        return rsaKeyFromPkcs8(der, rsaKey);
    return pemBody(pem, "RSA PRIVATE KEY", rsaKey);
}

}  // namespace kestrune
