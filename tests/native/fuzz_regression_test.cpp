// Every input the fuzzers ever found a fault with, and the seed corpora, run
// through their fuzz bodies under the sanitizers.
#include "fuzz/fuzz_markup.h"
#include "fuzz/fuzz_readers.h"
#include "fuzz/fuzz_reg_export.h"
#include "fuzz/fuzz_release.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

void runEachInput(const std::string& folder, void (*body)(const uint8_t*, size_t))
{
    namespace fs = std::filesystem;
    int inputs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().string());
        body(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 0);
}

}  // namespace

TEST(FuzzRegressions, EveryKeptInputRunsClean)
{
    runEachInput(KESTRUNE_FUZZ_REGRESSIONS, kestrune::fuzzMarkupOnce);
    runEachInput(KESTRUNE_FUZZ_REGRESSIONS, kestrune::fuzzRegExportOnce);
    runEachInput(KESTRUNE_RELEASE_REGRESSIONS, kestrune::fuzzReleaseOnce);
    const std::string kept = KESTRUNE_FUZZ_FOLDER;
    runEachInput(kept + "/manifest", kestrune::fuzzManifestOnce);
    runEachInput(kept + "/pe_exports", kestrune::fuzzPeExportsOnce);
    runEachInput(kept + "/pem", kestrune::fuzzPemOnce);
    runEachInput(kept + "/ignore_entry", kestrune::fuzzIgnoreEntryOnce);
    runEachInput(kept + "/version_page", kestrune::fuzzVersionPageOnce);
}
