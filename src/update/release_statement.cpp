// Release statements: the text, the calendar days and the judgement.
#include "update/release_statement.h"

#include "update/version_page.h"

#include <cstdio>

namespace kestrune {

const char kReleaseStatementName[] = "release.txt";
const char kReleaseSignatureName[] = "release.txt.sig";

namespace {

const char* const kKeys[] = {"name", "sha256", "size", "serial", "expires"};

bool allDigits(const std::string& text, size_t from, size_t count)
{
    if (from + count > text.size())
        return false;
    for (size_t i = from; i < from + count; ++i)
        if (text[i] < '0' || text[i] > '9')
            return false;
    return true;
}

bool parseDate(const std::string& text, long& days)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !allDigits(text, 0, 4) ||
        !allDigits(text, 5, 2) || !allDigits(text, 8, 2))
        return false;
    return dayNumber(std::stoi(text.substr(0, 4)), std::stoi(text.substr(5, 2)),
                     std::stoi(text.substr(8, 2)), days);
}

bool isLowerHex(const std::string& text)
{
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// Names are compared as Windows does, ignoring the case of ASCII letters
// (the only letters a reference-file name may hold).
bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

bool dayNumber(int year, int month, int day, long& days)
{
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1970 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kMonthDays[month - 1] + (month == 2 && leap ? 1 : 0))
        return false;
    // Days from 1970-01-01, counting years from March so that the leap day
    // comes last.
    const long y = month <= 2 ? year - 1 : year;
    const long era = y / 400;
    const long yearOfEra = y - era * 400;
    const long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    days = era * 146097 + dayOfEra - 719468;
    return true;
}

std::string dayText(long days)
{
    days += 719468;
    const long era = days / 146097;
    const long dayOfEra = days - era * 146097;
    const long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long shifted = (5 * dayOfYear + 2) / 153;
    const long day = dayOfYear - (153 * shifted + 2) / 5 + 1;
    const long month = shifted < 10 ? shifted + 3 : shifted - 9;
    const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[64];   // room for three whole longs: no field is ever cut short
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, day);
    return text;
}

bool parseDecimal(const std::string& text, std::uint64_t& value)
{
    if (text.empty() || text.size() > 19 || !allDigits(text, 0, text.size()))
        return false;
    value = 0;
    for (char c : text)
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    return true;
}

bool parseReleaseStatement(const std::string& text, ReleaseStatement& statement)
{
    if (text.size() > kMaxReleaseStatementSize)
        return false;
    std::string values[5];
    size_t at = 0;
    for (int i = 0; i < 5; ++i) {
        const size_t end = text.find('\n', at);
        if (end == std::string::npos)
            return false;
        std::string line = text.substr(at, end - at);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::string key = std::string(kKeys[i]) + "=";
        if (line.compare(0, key.size(), key) != 0)
            return false;
        values[i] = line.substr(key.size());
        at = end + 1;
    }
    if (at != text.size())
        return false;
    statement.name = values[0];
    statement.sha256 = values[1];
    return isSafeReferenceFileName(statement.name) && statement.sha256.size() == 64 &&
           isLowerHex(statement.sha256) && parseDecimal(values[2], statement.size) &&
           parseDecimal(values[3], statement.serial) && statement.serial > 0 &&
           parseDate(values[4], statement.expires);
}

std::string releaseStatementText(const ReleaseStatement& statement)
{
    return "name=" + statement.name + "\nsha256=" + statement.sha256 +
           "\nsize=" + std::to_string(statement.size) +
           "\nserial=" + std::to_string(statement.serial) +
           "\nexpires=" + dayText(statement.expires) + "\n";
}

ReleaseJudgement judgeRelease(const ReleaseStatement& statement, const std::string& fileName,
                              const std::string& sha256, std::uint64_t fileSize,
                              std::uint64_t installedSerial, long today)
{
    if (!sameName(statement.name, fileName) || statement.sha256 != sha256 || statement.size != fileSize)
        return ReleaseJudgement::Mismatch;
    if (statement.serial < installedSerial)
        return ReleaseJudgement::Older;
    if (today > statement.expires)
        return ReleaseJudgement::Expired;
    return ReleaseJudgement::Good;
}

}  // namespace kestrune
