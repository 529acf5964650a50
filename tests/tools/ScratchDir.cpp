#include "ScratchDir.h"

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <vector>

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mh-host-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) {
        root = pattern;
    }
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    if (!root.empty()) {
        std::filesystem::remove_all(root, ignored);
    }
}

std::string ScratchDir::Listing() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string text;
    for (const auto& name : names) text += name + "\n";
    return text;
}
