// The in-memory definitions: ParasiteList, Parasite and the five item records.
// Lists own their records; clearing or destroying a list deletes them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrune {

template <typename T>
using OwnedList = std::vector<std::unique_ptr<T>>;

// `found` is written by the scans, `selected` by the remove command; both
// hold 0 or 1 and are 0 after loading.
class DirectoryItem {
public:
    virtual ~DirectoryItem() = default;
    std::string name;
    std::string path;
    int32_t found = 0;
    int32_t selected = 0;
};

class FileItem {
public:
    virtual ~FileItem() = default;
    std::string name;
    std::string path;
    int32_t found = 0;
    int32_t selected = 0;
};

class CookieItem {
public:
    virtual ~CookieItem() = default;
    std::string name;
    int32_t found = 0;
    int32_t selected = 0;
};

class RegistryKeyItem {
public:
    virtual ~RegistryKeyItem() = default;
    std::string main;
    std::string sub;
    std::string value;
    int32_t found = 0;
    int32_t selected = 0;
};

class RegistryValueItem {
public:
    virtual ~RegistryValueItem() = default;
    std::string main;
    std::string sub;
    std::string value;
    int32_t found = 0;
    int32_t selected = 0;
};

// The status of a parasite before a scan has looked for it.
extern const char kStatusNotScanned[];

class Parasite {
public:
    virtual ~Parasite();

    void setName(const std::string& text) { name = text; }
    std::string getName() const { return name; }
    void setDescription(const std::string& text) { description = text; }
    void setStatus(const std::string& text) { status = text; }

    std::string name;
    std::string status = kStatusNotScanned;
    std::string description;
    OwnedList<DirectoryItem> directories;
    OwnedList<FileItem> files;
    OwnedList<CookieItem> cookies;
    OwnedList<RegistryKeyItem> registryKeys;
    OwnedList<RegistryValueItem> registryValues;
    int32_t dangerLevel = -1;
};

// The ordered list of all parasites; a parasite's index is its position.
class ParasiteList {
public:
    ParasiteList() = default;
    virtual ~ParasiteList() = default;
    ParasiteList(const ParasiteList&) = delete;
    ParasiteList& operator=(const ParasiteList&) = delete;

    int count() const { return static_cast<int>(parasites_.size()); }
    Parasite* at(int index) const;   // nullptr when the index is out of range
    void append(std::unique_ptr<Parasite> parasite);
    void clear() { parasites_.clear(); }
    void swap(ParasiteList& other) { parasites_.swap(other.parasites_); }

private:
    OwnedList<Parasite> parasites_;
};

}  // namespace kestrune
