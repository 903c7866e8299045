// The scan report: its exact text for a scan with finds of every kind,
// compared with a report written by hand (data/scan-report.txt, copied to
// C:\ by wine-setup.sh), the file written, and the proposed file name.
#include "scan/scan_report.h"

#include "platform/file_bytes.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

using namespace kestrune;
using kestrune::testing_support::freshFolder;

namespace {

std::string fileBytes(const std::string& path)
{
    std::string bytes;
    readWholeFile(path, bytes, FILE_SHARE_READ);
    return bytes;
}

ScanReportRow row(const std::string& parasite, ItemKind kind, const std::string& location,
                  int danger, bool checked)
{
    ScanReportRow r;
    r.parasite = parasite;
    r.find.kind = kind;
    r.find.location = location;
    r.dangerLevel = danger;
    r.checked = checked;
    return r;
}

}  // namespace

TEST(ScanReport, TextMatchesTheReportWrittenByHand)
{
    ScanReport report;
    report.started.wYear = 2026;
    report.started.wMonth = 12;
    report.started.wDay = 7;
    report.started.wHour = 9;
    report.started.wMinute = 5;
    report.started.wSecond = 3;
    report.durationMs = (3600 + 2 * 60 + 5) * 1000 + 999;
    report.referenceFile = "C:\\Kestrune\\kestrune_020404_v2.ks";
    report.parasiteCount = 20;
    report.itemsScanned = 48213;
    report.ignored = 2;
    report.unreadable = 3;
    report.stopped = true;
    const std::string helper = "Helper, \"the bar\"";
    report.rows = {
        row("Greedy", ItemKind::RegistryKey, "HKEY_CURRENT_USER\\Software\\Greedy\\Main", 2, true),
        row("Greedy", ItemKind::RegistryValue,
            "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run : Greedy", 2,
            false),
        row("Tracker", ItemKind::Cookie, "tracker", 0, true),
        row(helper, ItemKind::File, "C:\\Program Files\\Helper\\helper.exe", 1, true),
        row(helper, ItemKind::Folder, "C:\\Program Files\\Helper", 1, true),
        row("Nameless", ItemKind::File, "D:\\odd\\x.dll", -1, false),
    };

    const std::string text = scanReportText(report);
    std::string lines;   // the text with CR LF as LF, as the hand-written file has it
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            ASSERT_EQ('\n', text[i + 1]) << "a lone CR at " << i;
            continue;
        }
        ASSERT_FALSE(text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) << "a lone LF at " << i;
        lines += text[i];
    }
    EXPECT_EQ(fileBytes("C:\\scan-report.txt"), lines);

    // A folder scan says which folder; the file holds the text byte for byte.
    report.folder = "C:\\Tools";
    report.stopped = false;
    const std::string dir = freshFolder();
    ASSERT_TRUE(writeScanReport(dir + "\\r.txt", report));
    const std::string written = fileBytes(dir + "\\r.txt");
    EXPECT_EQ(scanReportText(report), written);
    EXPECT_NE(std::string::npos, written.find("\r\nScanned: folder C:\\Tools\r\n"));
    EXPECT_NE(std::string::npos, written.find("\r\nResult: completed\r\n"));
    EXPECT_FALSE(writeScanReport(dir + "\\missing\\r.txt", report));
}

TEST(ScanReport, ProposedNameIsUtcDayFirstWithoutLeadingZeros)
{
    SYSTEMTIME t = {};
    t.wYear = 2026;
    t.wMonth = 3;
    t.wDay = 4;
    t.wHour = 5;
    t.wMinute = 6;
    t.wSecond = 7;
    EXPECT_EQ("Scan 4-3-2026 (5-6-7).txt", scanReportName(t));
    t.wDay = 31;
    t.wMonth = 12;
    t.wHour = 23;
    t.wMinute = 59;
    t.wSecond = 0;
    EXPECT_EQ("Scan 31-12-2026 (23-59-0).txt", scanReportName(t));
}
