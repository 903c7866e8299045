// The release statement (def/release.txt) that an operator publishes and
// signs beside a reference file: which file is the release (name, SHA-256,
// size), its serial number, which grows with every publication, and the day
// after which the statement no longer counts. Reading, writing and judging
// it; no Windows headers, so that it builds in the host build for the fuzzer.
//
// The text is one "key=value" line for each of name, sha256, size, serial
// and expires, in this order, each ending with LF (CR LF is taken too):
//   name=kestrune_0601_v3.ks
//   sha256=<64 lower-case hex digits>
//   size=<bytes, decimal>
//   serial=<1 or more, decimal>
//   expires=YYYY-MM-DD        (UTC; the statement counts through that day)
#pragma once

#include <cstdint>
#include <string>

namespace kestrune {

// The longest statement text the update reads.
constexpr unsigned kMaxReleaseStatementSize = 4096;

// The statement's file names on the update server, beside the reference files.
extern const char kReleaseStatementName[];        // "release.txt"
extern const char kReleaseSignatureName[];        // "release.txt.sig"

struct ReleaseStatement {
    std::string name;       // a plain reference-file name (isSafeReferenceFileName)
    std::string sha256;     // 64 lower-case hex digits
    std::uint64_t size = 0;
    std::uint64_t serial = 0;
    long expires = 0;       // days since 1970-01-01 (UTC)
};

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar; false
// for a date that does not exist or a year outside 1970..9999.
bool dayNumber(int year, int month, int day, long& days);
// "YYYY-MM-DD" of a day number.
std::string dayText(long days);

// Parses `text` strictly: every line present once, in order, nothing else.
// False for anything else; `statement` is then unspecified.
bool parseReleaseStatement(const std::string& text, ReleaseStatement& statement);

// The text parseReleaseStatement reads back as `statement` (LF line ends).
std::string releaseStatementText(const ReleaseStatement& statement);

enum class ReleaseJudgement {
    Good,
    Mismatch,   // the file is not the one the statement names (name, hash or size)
    Older,      // the serial is below the installed one
    Expired,    // `today` is after the statement's last day
};

// Judges a downloaded file against its (verified) statement. The serial may
// equal `installedSerial`: that is the installed release again (a publisher
// signs one statement for each serial), which a repair may download anew.
ReleaseJudgement judgeRelease(const ReleaseStatement& statement, const std::string& fileName,
                              const std::string& sha256, std::uint64_t fileSize,
                              std::uint64_t installedSerial, long today);

// Decimal text to number: 1 to 19 digits, nothing else. False otherwise.
bool parseDecimal(const std::string& text, std::uint64_t& value);

}  // namespace kestrune
