// Every input the fuzzers ever found a fault with, and the seed corpora, run
// through both fuzz bodies under the sanitizers.
#include "fuzz/fuzz_markup.h"
#include "fuzz/fuzz_reg_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

TEST(FuzzRegressions, EveryKeptInputRunsClean)
{
    namespace fs = std::filesystem;
    int inputs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(KESTRUNE_FUZZ_REGRESSIONS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().string());
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        kestrune::fuzzMarkupOnce(data, bytes.size());
        kestrune::fuzzRegExportOnce(data, bytes.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 0);
}
