// The body of the release statement fuzz target, shared with the regression
// test.
#include "fuzz_release.h"

#include "update/release_statement.h"

#include <cstdlib>
#include <string>

namespace kestrune {

void fuzzReleaseOnce(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    ReleaseStatement statement;
    if (!parseReleaseStatement(text, statement))
        return;
    // What parses is written back to a text that parses to the same.
    ReleaseStatement again;
    if (!parseReleaseStatement(releaseStatementText(statement), again) ||
        again.name != statement.name || again.sha256 != statement.sha256 ||
        again.size != statement.size || again.serial != statement.serial ||
        again.expires != statement.expires)
        std::abort();
    judgeRelease(statement, statement.name, statement.sha256, statement.size, statement.serial,
                 statement.expires);
}

}  // namespace kestrune

#ifdef KESTRUNE_RELEASE_FUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    kestrune::fuzzReleaseOnce(data, size);
    return 0;
}
#endif
