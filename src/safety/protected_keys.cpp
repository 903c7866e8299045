// The built-in protected registry keys and values, and the comparison of key
// paths across hives.
#include "safety/protected_keys.h"

#include "platform/hive_names.h"
#include "platform/text_compare.h"

#include <iterator>
#include <vector>

namespace kestrune {

namespace {

// The built-in keys, as paths below HKEY_LOCAL_MACHINE or a user's hive
// (HKEY_CURRENT_USER, HKEY_USERS\<sid>). Each protects the key itself and
// every key that holds it; keys below it stay removable.
const char* const kProtectedKeys[] = {
    "software",
    "software\\microsoft",
    "software\\microsoft\\windows",
    "software\\microsoft\\windows\\currentversion",
    "software\\microsoft\\windows\\currentversion\\run",
    "software\\microsoft\\windows\\currentversion\\runonce",
    "software\\microsoft\\windows\\currentversion\\runonceex",
    "software\\microsoft\\windows\\currentversion\\runservices",
    "software\\microsoft\\windows\\currentversion\\runservicesonce",
    "software\\microsoft\\windows\\currentversion\\explorer",
    "software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
    "software\\microsoft\\windows\\currentversion\\explorer\\user shell folders",
    "software\\microsoft\\windows\\currentversion\\explorer\\browser helper objects",
    "software\\microsoft\\windows\\currentversion\\explorer\\shellexecutehooks",
    "software\\microsoft\\windows\\currentversion\\shell extensions",
    "software\\microsoft\\windows\\currentversion\\shell extensions\\approved",
    "software\\microsoft\\windows\\currentversion\\policies",
    "software\\microsoft\\windows\\currentversion\\uninstall",
    "software\\microsoft\\windows\\currentversion\\app paths",
    "software\\microsoft\\windows nt",
    "software\\microsoft\\windows nt\\currentversion",
    "software\\microsoft\\windows nt\\currentversion\\winlogon",
    "software\\microsoft\\windows nt\\currentversion\\windows",
    "software\\microsoft\\windows nt\\currentversion\\image file execution options",
    "software\\microsoft\\windows nt\\currentversion\\profilelist",
    "software\\microsoft\\internet explorer",
    "software\\microsoft\\internet explorer\\main",
    "software\\microsoft\\internet explorer\\search",
    "software\\microsoft\\internet explorer\\searchscopes",
    "software\\microsoft\\internet explorer\\toolbar",
    "software\\classes",
    "software\\classes\\clsid",
    "software\\classes\\interface",
    "software\\classes\\typelib",
    "software\\classes\\appid",
    "software\\policies",
    "software\\policies\\microsoft",
    "software\\policies\\microsoft\\windows",
    "system",
    "system\\currentcontrolset",
    "system\\currentcontrolset\\services",
    "system\\currentcontrolset\\control",
    "system\\currentcontrolset\\control\\session manager",
    "system\\currentcontrolset\\control\\session manager\\environment",
    "system\\currentcontrolset\\control\\safeboot",
    "system\\currentcontrolset\\control\\safeboot\\minimal",
    "system\\currentcontrolset\\control\\safeboot\\network",
    "system\\currentcontrolset\\control\\class",
    "system\\currentcontrolset\\enum",
    "system\\select",
    "system\\mounteddevices",
    "sam",
    "security",
    "hardware",
    "bcd00000000",
};

// The services and drivers that a clean installation of Windows (XP to 11)
// or Wine registers below SYSTEM\CurrentControlSet\Services, folded. Each is
// a protected tree: the key, every key below it and every value in them.
const char* const kSystemServices[] = {
    // Services.
    "ajrouter", "alerter", "alg", "appidsvc", "appinfo", "appmgmt", "appreadiness", "appxsvc",
    "audioendpointbuilder", "audiosrv", "autotimesvc", "axinstsv", "bdesvc", "bfe", "bits",
    "brokerinfrastructure", "browser", "btagservice", "bthavctpsvc", "bthserv", "camsvc",
    "cdpsvc", "certpropsvc", "cisvc", "clipsrv", "clipsvc", "comsysapp",
    "coremessagingregistrar", "cryptsvc", "cscservice", "dcomlaunch", "defragsvc",
    "deviceassociationservice", "deviceinstall", "devquerybroker", "dhcp",
    "diagnosticshub.standardcollector.service", "diagsvc", "diagtrack",
    "dispbrokerdesktopsvc", "displayenhancementservice", "dmenrollmentsvc", "dmserver",
    "dmwappushservice", "dnscache", "dosvc", "dot3svc", "dps", "dsmsvc", "dssvc", "dusmsvc",
    "eaphost", "efs", "embeddedmode", "entappsvc", "ersvc", "eventlog", "eventsystem", "fax",
    "fdphost", "fdrespub", "fhsvc", "fontcache", "frameserver", "gpsvc", "graphicsperfsvc",
    "helpsvc", "hidserv", "hvhost", "icssvc", "ikeext", "imapiservice", "installservice",
    "iphlpsvc", "ipxlatcfgsvc", "keyiso", "ktmrm", "lanmanserver", "lanmanworkstation",
    "lfsvc", "licensemanager", "lltdsvc", "lmhosts", "lsm", "lxpsvc", "mapsbroker",
    "messenger", "mnmsrvc", "mpssvc", "msdtc", "msiscsi", "msiserver",
    "naturalauthentication", "ncasvc", "ncbservice", "ncdautosetup", "netdde", "netddedsdm",
    "netlogon", "netman", "netprofm", "netsetupsvc", "nettcpportsharing", "ngcctnrsvc",
    "ngcsvc", "nlasvc", "nsi", "ntlmssp", "ntmssvc", "p2pimsvc", "p2psvc", "pcasvc",
    "peerdistsvc", "phonesvc", "pla", "plugplay", "pnrpautoreg", "pnrpsvc", "policyagent",
    "power", "printnotify", "profsvc", "protectedstorage", "pushtoinstall", "qwave",
    "rasauto", "rasman", "rdsessmgr", "remoteaccess", "remoteregistry", "retaildemo", "rmsvc",
    "rpceptmapper", "rpclocator", "rpcss", "rsvp", "samss", "scardsvr", "scdeviceenum",
    "schedule", "scpolicysvc", "sdrsvc", "seclogon", "securityhealthservice", "semgrsvc",
    "sens", "sense", "sensordataservice", "sensorservice", "sensrsvc", "sessionenv",
    "sgrmbroker", "sharedaccess", "sharedrealitysvc", "shellhwdetection", "shpamsvc",
    "smphost", "smsrouter", "snmptrap", "spectrum", "spooler", "sppsvc", "srservice",
    "ssdpsrv", "ssh-agent", "sstpsvc", "staterepository", "stisvc", "storsvc", "svsvc",
    "swprv", "sysmain", "systemeventsbroker", "tabletinputservice", "tapisrv", "termservice",
    "themes", "tieringengineservice", "timebrokersvc", "tlntsvr", "tokenbroker", "trkwks",
    "troubleshootingsvc", "trustedinstaller", "tzautoupdate", "uevagentservice",
    "umrdpservice", "uploadmgr", "ups", "upnphost", "usermanager", "usosvc", "vacsvc",
    "vaultsvc", "vds", "vmicguestinterface", "vmicheartbeat", "vmickvpexchange", "vmicrdv",
    "vmicshutdown", "vmictimesync", "vmicvmsession", "vmicvss", "vss", "w32time",
    "waasmedicsvc", "walletservice", "warpjitsvc", "wbengine", "wbiosrvc", "wcmsvc",
    "wcncsvc", "wdiservicehost", "wdisystemhost", "wdnissvc", "webclient", "wecsvc",
    "wephostsvc", "wercplsupport", "wersvc", "wfdsconmgrsvc", "wiarpc", "windefend",
    "winhttpautoproxysvc", "winmgmt", "winrm", "wisvc", "wlansvc", "wlidsvc", "wlpasvc",
    "wmansvc", "wmi", "wmiapsrv", "wmpnetworksvc", "workfolderssvc", "wpcmonsvc",
    "wpdbusenum", "wpnservice", "wscsvc", "wsearch", "wuauserv", "wwansvc", "wzcsvc",
    "xblauthmanager", "xblgamesave", "xboxgipsvc", "xboxnetapisvc", "xmlprov",
    // The network stack's own keys.
    "afd", "afunix", "netbios", "netbt", "tcpip", "tcpip6", "tcpipreg", "tdx", "winsock",
    "winsock2", "ws2ifsl", "wanarp", "wanarpv6", "nsiproxy", "http", "mpsdrv", "psched",
    // Drivers.
    "1394ohci", "3ware", "acpi", "acpidev", "acpiex", "acpipagr", "acpipmi", "acpitime",
    "ahcache", "amdk8", "amdppm", "amdsata", "amdsbs", "amdxata", "appid", "applockerfltr",
    "arcsas", "asyncmac", "atapi", "bam", "basicdisplay", "basicrender", "beep", "bindflt",
    "bowser", "bthenum", "bthmini", "bthport", "bthusb", "cdfs", "cdrom", "cimfs", "clfs",
    "cldflt", "cmbatt", "cng", "compositebus", "condrv", "csc", "dam", "dfsc", "disk",
    "drmkaud", "dxgkrnl", "ehstorclass", "errdev", "exfat", "fastfat", "fdc", "filecrypt",
    "fileinfo", "flpydisk", "fltmgr", "fsdepends", "fvevol", "gencounter", "gpuenergydrv",
    "hdaudaddservice", "hdaudbus", "hidbatt", "hidbth", "hidi2c", "hidinterrupt", "hidir",
    "hidusb", "hpsamd", "hwpolicy", "hyperkbd", "hypervideo", "i8042prt", "iastorav",
    "iastorv", "intelide", "intelpep", "intelppm", "iorate", "ipfilterdriver", "ipmidrv",
    "ipnat", "isapnp", "iscsiprt", "kbdclass", "kbdhid", "kdnic", "ksecdd", "ksecpkg",
    "ksthunk", "lltdio", "lsi_sas", "lsi_sas2i", "lsi_sas3i", "lsi_sss", "luafv", "megasas",
    "megasr", "mmcss", "modem", "monitor", "mouclass", "mouhid", "mountmgr", "mrxsmb",
    "mrxsmb10", "mrxsmb20", "msbridge", "msfs", "msisadrv", "mskssrv", "mslldp", "mspclock",
    "mspqm", "mssmbios", "mstee", "mtconfig", "mup", "ndis", "ndiscap", "ndisimplatform",
    "ndistapi", "ndisuio", "ndisvirtualbus", "ndiswan", "ndiswanlegacy", "ndproxy", "ndu",
    "netadaptercx", "npfs", "npsvctrig", "ntfs", "null", "nvraid", "nvstor", "parport",
    "partmgr", "pci", "pciide", "pcmcia", "pcw", "pdc", "peauth", "pktmon", "processor",
    "ptilink", "qwavedrv", "ramdisk", "rasacd", "rasagilevpn", "rasl2tp", "raspppoe",
    "rassstp", "rdbss", "rdpbus", "rdpdr", "rdyboost", "refs", "refsv1", "rspndr", "sbp2port",
    "scfilter", "sdbus", "sercx", "sercx2", "serenum", "serial", "sermouse", "sfloppy",
    "smbdirect", "spaceport", "spbcx", "srv", "srv2", "srvnet", "storahci", "storflt",
    "stornvme", "storqosflt", "storufs", "storvsc", "swenum", "tpm", "tunnel", "uaspstor",
    "ucx01000", "udecx", "udfs", "uefi", "umbus", "umpass", "usbccgp", "usbehci", "usbhub",
    "usbhub3", "usbohci", "usbprint", "usbser", "usbstor", "usbuhci", "usbxhci", "vdrvroot",
    "vhdmp", "vid", "vmbus", "volmgr", "volmgrx", "volsnap", "volume", "vwifibus", "wacompen",
    "wcifs", "wdboot", "wdf01000", "wdfilter", "wdnisdrv", "wfplwfs", "wimmount", "winusb",
    "wmiacpi", "wof", "wudfpf", "wudfrd",
    // Wine's own.
    "winebus", "winehid", "wineusb", "winexinput", "wine",
};

// Other key trees whose every key and value is protected.
const char* const kProtectedTrees[] = {
    "system\\currentcontrolset\\control\\lsa",
};

// The standard file, folder and protocol classes below Software\Classes
// (HKEY_CLASSES_ROOT), folded. Each class key, its DefaultIcon and its
// shell\open\command are protected with every value in them; other keys
// below them (a parasite's own verb or shell extension) stay removable.
const char* const kStandardClasses[] = {
    ".bat", ".cmd", ".com", ".cpl", ".dll", ".exe", ".htm", ".html", ".inf", ".ini", ".js",
    ".lnk", ".msc", ".msi", ".pif", ".reg", ".scr", ".sys", ".txt", ".url", ".vbs",
    "*", "allfilesystemobjects", "directory", "drive", "folder", "unknown",
    "systemfileassociations", "batfile", "cmdfile", "comfile", "cplfile", "dllfile",
    "exefile", "htmlfile", "inffile", "inifile", "internetshortcut", "jsfile", "lnkfile",
    "mscfile", "msi.package", "piffile", "regfile", "scrfile", "sysfile", "txtfile",
    "vbsfile", "about", "file", "ftp", "http", "https", "javascript", "mailto", "res",
    "vbscript",
};

// Keys, other than the classes', whose every value is protected.
const char* const kValueKeys[] = {
    "software\\microsoft\\windows\\currentversion\\explorer\\shell folders",
    "software\\microsoft\\windows\\currentversion\\explorer\\user shell folders",
};

// Where a row of the value table applies.
enum class Scope { Machine, User, Both };

// The values every Windows holds and that a hijacker changes rather than
// adds: the repair is their old data, never their deletion. Value names are
// separated by '|'. A user's own Winlogon "Shell" stays removable: that is
// where a parasite puts itself, not Windows.
struct ValueRow {
    Scope scope;
    const char* key;
    const char* names;
};

const ValueRow kProtectedValues[] = {
    {Scope::Machine, "software\\microsoft\\windows nt\\currentversion\\winlogon", "userinit|shell"},
    {Scope::Machine, "system\\currentcontrolset\\control\\session manager", "bootexecute"},
    {Scope::Machine, "system\\currentcontrolset\\control\\session manager\\environment",
     "path|pathext|comspec|systemroot|windir|temp|tmp|os|username|number_of_processors|"
     "processor_architecture|processor_identifier|processor_level|processor_revision|"
     "psmodulepath|driverdata"},
    {Scope::User, "environment", "temp|tmp"},
    {Scope::Machine, "software\\microsoft\\windows\\currentversion",
     "programfilesdir|programfilesdir (x86)|programw6432dir|commonfilesdir|"
     "commonfilesdir (x86)|commonw6432dir|programfilespath|mediapath|mediapathunexpanded|"
     "devicepath|wallpaperdir|sm_gamesname|sm_configureprogramsname|sm_accessoriesname"},
    {Scope::Machine, "software\\microsoft\\windows nt\\currentversion",
     "systemroot|pathname|currentversion|currentbuild|currentbuildnumber|"
     "currentmajorversionnumber|currentminorversionnumber|currenttype|csdversion|"
     "productname|editionid|installationtype|productid|digitalproductid|installdate|"
     "registeredowner|registeredorganization|buildlab|buildlabex|softwaretype|ubr|releaseid|"
     "displayversion"},
    {Scope::Machine, "software\\microsoft\\windows nt\\currentversion\\windows",
     "appinit_dlls|loadappinit_dlls"},
    {Scope::Both, "software\\microsoft\\internet explorer\\main",
     "start page|search page|default_page_url|default_search_url|search bar|local page|"
     "start page redirect cache|start page redirect cache acceptlangs|"
     "start page redirect cache_timestamp"},
    {Scope::Both, "software\\microsoft\\internet explorer\\search",
     "searchassistant|customizesearch"},
    {Scope::Both, "software\\microsoft\\internet explorer\\searchscopes", "defaultscope"},
};

enum class Hive { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, Unknown };

// The hives by their names and the abbreviations a reference file may use.
struct HiveSpelling {
    const char* name;
    const char* shortName;
    Hive hive;
};

const HiveSpelling kHiveSpellings[] = {
    {kHiveNames[0], "HKCR", Hive::ClassesRoot},
    {kHiveNames[1], "HKCU", Hive::CurrentUser},
    {kHiveNames[2], "HKLM", Hive::LocalMachine},
    {kHiveNames[3], "HKU", Hive::Users},
    {kHiveNames[4], "HKCC", Hive::CurrentConfig},
};

Hive hiveOf(const std::string& name)
{
    for (const HiveSpelling& row : kHiveSpellings) {
        if (sameText(name, row.name) || sameText(name, row.shortName))
            return row.hive;
    }
    return Hive::Unknown;
}

using Parts = std::vector<std::string>;

// The folded parts of `path` between backslashes; empty parts dropped.
Parts keyParts(const std::string& path)
{
    Parts parts;
    std::string part;
    for (char c : foldedText(path)) {
        if (c != '\\') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

bool isControlSet(const std::string& part)
{
    static const std::string prefix = "controlset";
    if (part.size() != prefix.size() + 3 || part.compare(0, prefix.size(), prefix) != 0)
        return false;
    for (size_t i = prefix.size(); i < part.size(); ++i) {
        if (part[i] < '0' || part[i] > '9')
            return false;
    }
    return true;
}

std::string joinedKey(const Parts& parts)
{
    std::string path;
    for (const std::string& part : parts) {
        if (!path.empty())
            path += '\\';
        path += part;
    }
    return path;
}

// Joined key path with the 32-bit view's "Wow6432Node" parts passed over and
// a numbered control set named as the current one.
std::string comparableKey(const Parts& parts)
{
    Parts kept;
    for (const std::string& part : parts) {
        if (part != "wow6432node")
            kept.push_back(part);
    }
    if (kept.size() >= 2 && kept[0] == "system" && isControlSet(kept[1]))
        kept[1] = "currentcontrolset";
    return joinedKey(kept);
}

// Where a key lies, as the lists compare it.
struct KeyView {
    bool wholeHive = false;   // a hive root or a user's hive of HKEY_USERS
    bool nothing = false;     // cannot be this hive's key at all
    std::string path;         // below the machine or a user's hive
    bool machine = false;     // HKEY_LOCAL_MACHINE: the system's values apply
    bool user = false;        // a user's hive: the settings key applies
};

// A direct subkey of HKEY_USERS that looks like a user's hive: ".DEFAULT" or
// a security identifier.
bool looksLikeUserHive(const std::string& part)
{
    return part == ".default" || part.compare(0, 4, "s-1-") == 0;
}

KeyView viewOf(Hive hive, const Parts& parts, bool hiveNamed)
{
    KeyView view;
    if (parts.empty()) {
        view.wholeHive = true;
        return view;
    }
    switch (hive) {
    case Hive::ClassesRoot: {
        Parts classes{"software", "classes"};
        classes.insert(classes.end(), parts.begin(), parts.end());
        view.path = comparableKey(classes);
        break;
    }
    case Hive::CurrentUser:
        view.path = comparableKey(parts);
        view.user = true;
        break;
    case Hive::LocalMachine:
    case Hive::Unknown:
        view.path = comparableKey(parts);
        view.machine = true;
        break;
    case Hive::Users: {
        if (parts.size() == 1) {
            // Each user's hive holds that user's Software key; when the hive
            // is only guessed, only names that look like a user's hive count.
            view.wholeHive = hiveNamed || looksLikeUserHive(parts[0]);
            view.nothing = !view.wholeHive;
            return view;
        }
        const std::string& sid = parts[0];
        Parts rest(parts.begin() + 1, parts.end());
        const std::string classesSuffix = "_classes";
        if (sid.size() > classesSuffix.size() &&
            sid.compare(sid.size() - classesSuffix.size(), classesSuffix.size(), classesSuffix) == 0)
            rest.insert(rest.begin(), {"software", "classes"});
        view.path = comparableKey(rest);
        view.user = true;
        break;
    }
    case Hive::CurrentConfig:
        view.path = comparableKey(parts);
        break;
    }
    if (view.path.empty())
        view.wholeHive = true;   // nothing but "Wow6432Node" parts: the root's view
    return view;
}

bool atOrBelow(const std::string& path, const std::string& top)
{
    return path == top ||
           (path.size() > top.size() && path.compare(0, top.size(), top) == 0 && path[top.size()] == '\\');
}

const Hive kEveryHive[] = {Hive::ClassesRoot, Hive::CurrentUser, Hive::LocalMachine, Hive::Users,
                           Hive::CurrentConfig};

// Calls test(view) for the one hive named, or for every hive when the name is
// none of them; true when any call is.
template <typename Test>
bool inAnyView(const std::string& hiveName, const std::string& subKey, Test test)
{
    const Parts parts = keyParts(subKey);
    const Hive named = hiveOf(hiveName);
    if (named != Hive::Unknown)
        return test(viewOf(named, parts, true));
    for (Hive hive : kEveryHive) {
        if (test(viewOf(hive, parts, false)))
            return true;
    }
    return false;
}

}  // namespace

// Keeps `path` with every key that holds it among the holders.
void ProtectedKeys::addHolders(const std::string& path)
{
    Parts parts = keyParts(path);
    while (parts.size() > 1) {
        parts.pop_back();
        holders_.insert(joinedKey(parts));
    }
}

ProtectedKeys::ProtectedKeys(const std::string& settingsKey)
    : settingsKey_(comparableKey(keyParts(settingsKey)))
{
    for (const char* key : kProtectedKeys) {
        keys_.insert(key);
        addHolders(key);
    }
    std::vector<std::string> trees(std::begin(kProtectedTrees), std::end(kProtectedTrees));
    for (const char* service : kSystemServices)
        trees.push_back(std::string("system\\currentcontrolset\\services\\") + service);
    for (const std::string& tree : trees) {
        trees_.insert(tree);
        addHolders(tree);
    }
    for (const char* name : kStandardClasses) {
        const std::string key = std::string("software\\classes\\") + name;
        for (const std::string& part : {key, key + "\\defaulticon", key + "\\shell\\open\\command"}) {
            keys_.insert(part);
            addHolders(part);
        }
        valueKeys_.insert(key);
        valueKeys_.insert(key + "\\defaulticon");
        valueKeys_.insert(key + "\\shell\\open\\command");
    }
    valueKeys_.insert(std::begin(kValueKeys), std::end(kValueKeys));
    for (const ValueRow& row : kProtectedValues) {
        const std::string names = row.names;
        for (size_t at = 0; at <= names.size();) {
            size_t end = names.find('|', at);
            if (end == std::string::npos)
                end = names.size();
            const std::string value = std::string(row.key) + ":" + names.substr(at, end - at);
            if (row.scope != Scope::User)
                machineValues_.insert(value);
            if (row.scope != Scope::Machine)
                userValues_.insert(value);
            at = end + 1;
        }
    }
}

bool ProtectedKeys::inTree(const std::string& path) const
{
    for (std::string up = path;;) {
        if (trees_.count(up) != 0)
            return true;
        const std::string::size_type cut = up.rfind('\\');
        if (cut == std::string::npos)
            return false;
        up.resize(cut);
    }
}

bool ProtectedKeys::isProtectedKey(const std::string& hiveName, const std::string& subKey) const
{
    return inAnyView(hiveName, subKey, [this](const KeyView& view) {
        if (view.nothing)
            return false;
        if (view.wholeHive || keys_.count(view.path) != 0 || holders_.count(view.path) != 0 ||
            inTree(view.path))
            return true;
        return view.user && !settingsKey_.empty() &&
               (atOrBelow(view.path, settingsKey_) || atOrBelow(settingsKey_, view.path));
    });
}

bool ProtectedKeys::isProtectedValue(const std::string& hiveName, const std::string& subKey,
                                     const std::string& valueName) const
{
    const std::string folded = foldedText(valueName);
    return inAnyView(hiveName, subKey, [&](const KeyView& view) {
        if (view.nothing || view.wholeHive)
            return false;
        if (valueKeys_.count(view.path) != 0 || inTree(view.path))
            return true;
        const std::string value = view.path + ":" + folded;
        if ((view.machine && machineValues_.count(value) != 0) ||
            (view.user && userValues_.count(value) != 0))
            return true;
        return view.user && !settingsKey_.empty() && atOrBelow(view.path, settingsKey_);
    });
}

}  // namespace kestrune
