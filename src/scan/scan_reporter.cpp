// Names of the scan phases for progress output.
#include "scan/scan_reporter.h"

namespace kestrune {

const char* phaseName(ScanPhase phase)
{
    switch (phase) {
    case ScanPhase::RegistryKeys:
        return "registry keys";
    case ScanPhase::RegistryValues:
        return "registry values";
    case ScanPhase::Cookies:
        return "cookies";
    case ScanPhase::Files:
        return "files";
    case ScanPhase::Folders:
        return "folders";
    case ScanPhase::DriveSearch:
        return "drive search";
    case ScanPhase::ChosenFolder:
        return "folder";
    }
    return "";
}

}  // namespace kestrune
