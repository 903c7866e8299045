// Load-time benchmark: generates reference files of 1,000 and 10,000
// parasites with every item kind and realistic lengths, loads each several
// times with loadReferenceFile, and reports the median times and their ratio.
// Exit 0 when the growth is linear (ratio within 12), 1 otherwise.
#include "bench_support.h"

#include "definitions/reference_file.h"
#include "definitions/reference_text.h"
#include "platform/handles.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace kestrune;
using bench::writeReferenceMarkup;

namespace {

std::string parasiteMarkup(int i)
{
    const std::string n = "Generated Parasite " + std::to_string(i);
    const std::string id = std::to_string(100000 + i);
    std::string s;
    s += "  <SW NAME=\"" + n + "\">\r\n";
    s += "    <DIRECTORIES>\r\n";
    s += "      <DIR NAME=\"GenApp" + id + "\" PATH=\"PFDir\"/>\r\n";
    s += "      <DIR NAME=\"gencache" + id + "\" PATH=\"\"/>\r\n";
    s += "    </DIRECTORIES>\r\n";
    s += "    <FILES>\r\n";
    s += "      <FILE NAME=\"gen" + id + ".exe\" PATH=\"PFDir\\GenApp" + id + "\"/>\r\n";
    s += "      <FILE NAME=\"gen" + id + "hook.dll\" PATH=\"Sys32Dir\"/>\r\n";
    s += "      <FILE NAME=\"gen" + id + ".ini\" PATH=\"WinDir\"/>\r\n";
    s += "    </FILES>\r\n";
    s += "    <COOKIES>\r\n";
    s += "      <COOKIE NAME=\"gen" + id + "\"/>\r\n";
    s += "    </COOKIES>\r\n";
    s += "    <REGISTRY>\r\n";
    s += "      <KEYS>\r\n";
    s += "        <REGKEY MAIN=\"HKEY_LOCAL_MACHINE\" SUB=\"Software\" VALUE=\"GenApp" + id + "\"/>\r\n";
    s += "        <REGKEY MAIN=\"HKEY_CLASSES_ROOT\" SUB=\"CLSID\" VALUE=\"{6B1E4D2A-0C3F-4E57-9A21-" + id + "AB0C1D}\"/>\r\n";
    s += "      </KEYS>\r\n";
    s += "      <VALUES>\r\n";
    s += "        <REGVALUE MAIN=\"HKEY_CURRENT_USER\" SUB=\"Software\\Microsoft\\Windows\\CurrentVersion\\Run\" VALUE=\"GenApp" + id + "\"/>\r\n";
    s += "      </VALUES>\r\n";
    s += "    </REGISTRY>\r\n";
    s += "    <DANGER_LEVEL>" + std::to_string(i % 3) + "</DANGER_LEVEL>\r\n";
    s += "    <DESCRIPTION>Shows advertising windows &amp; records the pages you visit; "
         "installs itself with free software bundles and starts with Windows.</DESCRIPTION>\r\n";
    s += "  </SW>\r\n";
    return s;
}

bool writeReferenceFile(const std::string& path, int parasites)
{
    std::string text = "<?xml version=\"1.0\"?>\r\n<KS>\r\n";
    for (int i = 0; i < parasites; ++i)
        text += parasiteMarkup(i);
    text += "</KS>\r\n";
    return writeReferenceMarkup(path, text);
}

// Median of `runs` load times in milliseconds; negative when a load fails.
double medianLoadMs(const std::string& path, int expected, int runs)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        ParasiteList list;
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        bool ok = loadReferenceFile(path, list);
        QueryPerformanceCounter(&end);
        if (!ok || list.count() != expected)
            return -1;
        times.push_back(1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const int sizes[2] = {1000, 10000};
    double ms[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        std::string path = std::string(temp) + "bench_" + std::to_string(sizes[k]) + ".ks";
        if (!writeReferenceFile(path, sizes[k])) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 2;
        }
        WIN32_FILE_ATTRIBUTE_DATA info;
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &info);
        ms[k] = medianLoadMs(path, sizes[k], 7);
        if (ms[k] < 0) {
            std::fprintf(stderr, "loading %s failed\n", path.c_str());
            return 2;
        }
        std::printf("%6d parasites  %9lu bytes  median load %8.2f ms (7 runs)\n", sizes[k],
                    static_cast<unsigned long>(info.nFileSizeLow), ms[k]);
        DeleteFileA(path.c_str());
    }
    double ratio = ms[1] / ms[0];
    std::printf("ratio 10,000 / 1,000: %.2f (linear growth allows at most 12)\n", ratio);
    return ratio <= 12.0 ? 0 : 1;
}
