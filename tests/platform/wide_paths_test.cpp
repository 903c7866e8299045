// File-system calls for paths of any length: the "\\?\" form of long paths,
// and a file past MAX_PATH made, listed, copied, moved and removed.
#include "platform/wide_paths.h"

#include "platform/folder_listing.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace ks = kestrune;

TEST(WidePaths, LongPathsTakeTheLongFormShortOnesStayAsGiven)
{
    const std::wstring part(100, L'p');   // three of them pass MAX_PATH
    const std::wstring tail = part + L"\\" + part + L"\\" + part;
    const struct {
        std::wstring path;
        std::wstring expected;
    } cases[] = {
        {L"C:\\a\\..\\b/./c.txt", L"C:\\a\\..\\b/./c.txt"},   // short: the system cleans it
        {L"C:\\" + tail, L"\\\\?\\C:\\" + tail},
        {L"c:/" + part + L"//" + part + L"/./" + part + L"\\", L"\\\\?\\c:\\" + tail},
        {L"C:\\x\\..\\" + tail + L"\\y\\..", L"\\\\?\\C:\\" + tail},
        {L"C:\\" + tail + L"\\..\\..\\..\\..", L""},   // above the root: refused
        {L"\\\\server\\share\\" + tail, L"\\\\?\\UNC\\server\\share\\" + tail},
        {L"\\\\server\\share\\..\\" + tail, L""},
        {L"\\\\?\\C:\\" + tail, L"\\\\?\\C:\\" + tail},   // already long: as given
        {L"\\\\.\\pipe\\" + tail, L"\\\\.\\pipe\\" + tail},
        {L"relative\\" + tail, L"relative\\" + tail},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ks::longPathForm(c.path)) << ks::fromWide(c.path);
    // The program's code page (UTF-8 with its manifest) both ways.
    EXPECT_EQ("C:\\caf\xc3\xa9", ks::fromWide(ks::toWide("C:\\caf\xc3\xa9")));
}

TEST(WidePaths, AFileFarPastMaxPathIsMadeListedCopiedMovedAndRemoved)
{
    const std::string root = ks::testing_support::freshWorkFolder("wide-paths");
    std::string folder = root;
    for (int level = 0; level < 7; ++level) {
        folder += "\\" + std::string(60, static_cast<char>('a' + level));
        ASSERT_TRUE(ks::createFolderAt(folder)) << folder.size();
    }
    ASSERT_GT(folder.size(), 400u);
    const std::string file = folder + "\\deep.bin";
    {
        HANDLE handle = ks::openFileAt(file, GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL);
        ASSERT_NE(INVALID_HANDLE_VALUE, handle);
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(handle, "deep", 4, &written, nullptr));
        CloseHandle(handle);
    }
    ks::FolderListing listing(folder + "\\*.*");
    std::string names;
    while (listing.next())
        names += std::string(listing.entry().cFileName) + " ";
    EXPECT_EQ(". .. deep.bin ", names);
    EXPECT_TRUE(ks::copyFileAt(file, file + ".copy", true));
    EXPECT_FALSE(ks::copyFileAt(file, file + ".copy", true));
    EXPECT_TRUE(ks::moveFileAt(file + ".copy", file + ".moved", 0));
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    ASSERT_TRUE(ks::attributeDataOf(file + ".moved", &data));
    EXPECT_EQ(4u, data.nFileSizeLow);
    EXPECT_TRUE(ks::setAttributesOf(file, FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(ks::attributesOf(file) & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(ks::setAttributesOf(file, FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(ks::deleteFileAt(file));
    EXPECT_TRUE(ks::deleteFileAt(file + ".moved"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ks::attributesOf(file));
    EXPECT_TRUE(ks::removeFolderAt(folder));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ks::attributesOf(folder));
}
