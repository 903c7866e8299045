// Keys and signatures for the signature tests: the development key pair the
// default build trusts, a second pair made at build time, and the sample
// reference file with openssl's signatures of it by each key.
#pragma once

#include <string>

namespace kestrune {
namespace test {

const std::string& developmentPrivateKey();   // data/keys/development-private.pem
const std::string& otherPrivateKey();
const std::string& otherPublicKey();
const std::string& opensslSignedSample();       // the sample reference file's bytes
const std::string& opensslSampleSignature();    // by the development key
const std::string& opensslSampleOtherSignature();   // by the other key

// `data` signed with the development key (empty when signing fails).
std::string developmentSignature(const std::string& data);

}  // namespace test
}  // namespace kestrune
