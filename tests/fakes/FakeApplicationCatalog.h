#pragma once

#include "app/apps/ApplicationCatalog.h"

#include <map>

namespace zentrivo::test {

/// Application folders in memory; records which folders were read, in order.
struct FakeApplicationCatalog final : ApplicationCatalog {
    std::vector<std::string> applicationFolders() const override { return folders; }
    std::vector<CatalogEntry> applicationsIn(const std::string& folder) const override {
        scanned.push_back(folder);
        return contents[folder];
    }
    std::vector<std::string> folders;
    mutable std::map<std::string, std::vector<CatalogEntry>> contents;
    mutable std::vector<std::string> scanned;
};

} // namespace zentrivo::test
