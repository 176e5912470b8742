#pragma once

#include "app/apps/ApplicationCatalog.h"

#include <map>
#include <string>
#include <vector>

namespace zentrivo::test {

/// Application folders in memory; records which folders were read, in order.
class FakeApplicationCatalog final : public ApplicationCatalog {
public:
    std::vector<std::string> applicationFolders() const override { return folders; }
    std::vector<CatalogEntry> applicationsIn(const std::string& folder) const override {
        scanned.push_back(folder);
        const auto it = contents.find(folder);
        return it == contents.end() ? std::vector<CatalogEntry>{} : it->second;
    }

    std::vector<std::string> folders;
    std::map<std::string, std::vector<CatalogEntry>> contents;
    mutable std::vector<std::string> scanned;
};

} // namespace zentrivo::test
