// LoadingDialog: the texts in order, the results, what happens to the list,
// and the fixed delays.
#include "app/loading_dialog.h"

#include "definitions/reference_file.h"
#include "platform/file_bytes.h"
#include "settings/settings_store.h"
#include "support/window_test_helpers.h"

#include "resource.h"

#include <gtest/gtest.h>

namespace kestrune {
namespace {

using Texts = std::vector<std::string>;

class LoadingDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::freshSettings();
        folder_ = test::testProgramFolder();
        fast_.firstStepMs = 50;
        fast_.foundPauseMs = 10;
        fast_.afterLoadMs = 10;
        fast_.loadedPauseMs = 10;
        fast_.notFoundPauseMs = 10;
    }
    void TearDown() override { test::clearSettings(); }

    INT_PTR runOn(ParasiteList& list, const LoadingTimings& timings, Texts& texts)
    {
        test::TextRecorder recorder(IDC_PROGRESS_TEXT);
        LoadingDialog dialog;
        dialog.setParasiteList(&list);
        dialog.setTimings(timings);
        INT_PTR result = dialog.run();
        texts = recorder.texts();
        return result;
    }

    std::string folder_;
    LoadingTimings fast_;
};

const Texts kFoundTexts = {"Initializing...", "Searching for definition file.",
                           "Loading definitions from file.", "Definitions loaded successfully."};
const Texts kNotFoundTexts = {"Initializing...", "Searching for definition file.",
                              "Definition file not found."};

TEST_F(LoadingDialogTest, MissingOrUnsetReferenceFileEndsWithCancelAndKeepsTheList)
{
    struct Row {
        const char* name;
        bool write;
        std::string value;
    };
    const Row rows[] = {
        {"no settings at all", false, ""},
        {"empty rfp", true, ""},
        {"rfp naming no file", true, "C:\\kestrune\\not-there.ks"},
    };
    for (const Row& row : rows) {
        test::clearSettings();
        if (row.write) {
            test::freshSettings();
            writeSetting("rfp", row.value);
        }
        ParasiteList list;
        ASSERT_TRUE(test::writeReferenceFile(folder_ + "keep.ks", test::markupWithParasites(2)));
        ASSERT_TRUE(loadReferenceFile(folder_ + "keep.ks", list));
        Texts texts;
        EXPECT_EQ(runOn(list, fast_, texts), IDCANCEL) << row.name;
        EXPECT_EQ(texts, kNotFoundTexts) << row.name;
        EXPECT_EQ(list.count(), 2) << row.name;
    }
}

TEST_F(LoadingDialogTest, ExistingFileEndsWithOkWhetherOrNotItParses)
{
    struct Row {
        const char* name;
        std::string markup;
        bool scrambled;
        int expectedCount;   // -1: the list is untouched
    };
    const Row rows[] = {
        {"three parasites", test::markupWithParasites(3), true, 3},
        {"no parasite", test::markupWithParasites(0), true, 0},
        {"not markup", "this is not a reference file", false, -1},
    };
    for (const Row& row : rows) {
        const std::string path = folder_ + "load.ks";
        if (row.scrambled)
            ASSERT_TRUE(test::writeReferenceFile(path, row.markup));
        else
            ASSERT_TRUE(writeWholeFile(path, row.markup));
        writeSetting("rfp", path);
        ParasiteList list;
        ASSERT_TRUE(test::writeReferenceFile(folder_ + "keep.ks", test::markupWithParasites(5)));
        ASSERT_TRUE(loadReferenceFile(folder_ + "keep.ks", list));
        Texts texts;
        EXPECT_EQ(runOn(list, fast_, texts), IDOK) << row.name;
        EXPECT_EQ(texts, kFoundTexts) << row.name;
        EXPECT_EQ(list.count(), row.expectedCount < 0 ? 5 : row.expectedCount) << row.name;
    }
}

TEST_F(LoadingDialogTest, RealDelaysLastAtLeast2700And1750Milliseconds)
{
    const std::string path = folder_ + "timed.ks";
    ASSERT_TRUE(test::writeReferenceFile(path, test::markupWithParasites(1)));
    writeSetting("rfp", path);
    ParasiteList list;
    Texts texts;
    DWORD start = GetTickCount();
    EXPECT_EQ(runOn(list, LoadingTimings(), texts), IDOK);
    EXPECT_GE(GetTickCount() - start, 2700u);

    writeSetting("rfp", folder_ + "absent.ks");
    start = GetTickCount();
    EXPECT_EQ(runOn(list, LoadingTimings(), texts), IDCANCEL);
    EXPECT_GE(GetTickCount() - start, 1750u);
}

}  // namespace
}  // namespace kestrune
