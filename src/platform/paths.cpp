// Joining and splitting path texts.
#include "platform/paths.h"

namespace kestrune {

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '\\')
        return folder + name;
    return folder + "\\" + name;
}

std::string listingPattern(const std::string& folder)
{
    std::string pattern = folder;
    std::string::size_type end = pattern.find_last_not_of(' ');
    pattern.erase(end == std::string::npos ? 0 : end + 1);
    if (pattern.empty() || pattern.back() != '\\')
        pattern += '\\';
    return pattern + "*.*";
}

std::string fileExtension(const std::string& path)
{
    std::string::size_type dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return std::string();
    return path.substr(dot + 1);
}

std::string baseNameOf(const std::string& path)
{
    std::string::size_type slash = path.find_last_of('\\');
    if (slash == std::string::npos)
        return path;
    return path.substr(slash + 1);
}

std::string parentFolderOf(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

}  // namespace kestrune
