// The test keys and signatures, built in from files made at build time.
#include "support/signing_keys.h"

#include "update/signature.h"

namespace kestrune {
namespace test {

namespace {

const char kDevelopmentPrivateKey[] = {
#include "development_private_key.inc"
};
const char kOtherPrivateKey[] = {
#include "other_private_key.inc"
};
const char kOtherPublicKey[] = {
#include "other_public_key.inc"
};
const char kSampleFile[] = {
#include "sample_file.inc"
};
const char kSampleSignature[] = {
#include "sample_signature.inc"
};
const char kSampleOtherSignature[] = {
#include "sample_other_signature.inc"
};

}  // namespace

#define KESTRUNE_BYTES(function, array)                              \
    const std::string& function()                                     \
    {                                                                 \
        static const std::string bytes(array, sizeof array);          \
        return bytes;                                                 \
    }

KESTRUNE_BYTES(developmentPrivateKey, kDevelopmentPrivateKey)
KESTRUNE_BYTES(otherPrivateKey, kOtherPrivateKey)
KESTRUNE_BYTES(otherPublicKey, kOtherPublicKey)
KESTRUNE_BYTES(opensslSignedSample, kSampleFile)
KESTRUNE_BYTES(opensslSampleSignature, kSampleSignature)
KESTRUNE_BYTES(opensslSampleOtherSignature, kSampleOtherSignature)

std::string developmentSignature(const std::string& data)
{
    std::string signature;
    signData(data, developmentPrivateKey(), signature);
    return signature;
}

}  // namespace test
}  // namespace kestrune
