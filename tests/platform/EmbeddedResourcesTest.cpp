#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/EmbeddedResources.h"

namespace {

namespace fs = std::filesystem;

struct SourceResource {
    std::string name, type;
    std::vector<unsigned char> bytes;
};

// What the build should have compiled in: every file of resources/ but dotfiles.
std::vector<SourceResource> ResourcesInTheTree() {
    std::vector<SourceResource> found;
    const fs::path folder = fs::path(MH_SOURCE_DIR) / "resources";
    if (!fs::is_directory(folder)) return found;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string file = entry.path().filename().string();
        if (!entry.is_regular_file() || file[0] == '.') continue;
        const size_t dot = file.rfind('.');
        std::ifstream in(entry.path(), std::ios::binary);
        found.push_back({file.substr(0, dot), dot == std::string::npos ? "" : file.substr(dot + 1),
                         {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
    }
    return found;
}

TEST(EmbeddedResources, HoldEveryFileOfTheResourceFolderByteForByte) {
    const auto resources = ResourcesInTheTree();
    if (resources.empty()) GTEST_SKIP() << "resources/ holds no files yet";
    for (const auto& resource : resources) {
        SCOPED_TRACE(resource.name + "." + resource.type);
        const EmbeddedResource embedded = FindEmbeddedResource(resource.name.c_str(), resource.type.c_str());
        ASSERT_NE(embedded.data, nullptr);
        ASSERT_EQ(embedded.size, resource.bytes.size());
        EXPECT_TRUE(std::equal(resource.bytes.begin(), resource.bytes.end(), embedded.data));
    }
}

TEST(EmbeddedResources, NamesWithSpacesAndAtSignsAreFound) {
    if (!fs::exists(fs::path(MH_SOURCE_DIR) / "resources" / "Murmurhall Help.txt"))
        GTEST_SKIP() << "the help text is not written yet";
    EXPECT_GT(FindEmbeddedResource("Murmurhall Help", "txt").size, 0u);
    if (fs::exists(fs::path(MH_SOURCE_DIR) / "resources" / "bmp00200@2x.png")) {
        EXPECT_GT(FindEmbeddedResource("bmp00200@2x", "png").size, 0u);
    }
    // The type must match as well as the name.
    EXPECT_EQ(FindEmbeddedResource("Murmurhall Help", "png").data, nullptr);
    EXPECT_EQ(FindEmbeddedResource("Murmurhall Help.txt", "").data, nullptr);
}

TEST(EmbeddedResources, UnknownNamesDotfilesAndNullsFindNothing) {
    EXPECT_EQ(FindEmbeddedResource("bmp99999", "png").data, nullptr);
    EXPECT_EQ(FindEmbeddedResource("bmp99999", "png").size, 0u);
    EXPECT_EQ(FindEmbeddedResource("", "keep").data, nullptr);
    EXPECT_EQ(FindEmbeddedResource(".keep", "").data, nullptr);
    EXPECT_EQ(FindEmbeddedResource(nullptr, "png").data, nullptr);
    EXPECT_EQ(FindEmbeddedResource(nullptr, nullptr).data, nullptr);
}

TEST(EmbeddedResources, TestsCanHideThemAll) {
    const auto resources = ResourcesInTheTree();
    if (resources.empty()) GTEST_SKIP() << "resources/ holds no files yet";
    const char* name = resources.front().name.c_str();
    const char* type = resources.front().type.c_str();
    SetEmbeddedResourcesEnabledForTesting(false);
    EXPECT_EQ(FindEmbeddedResource(name, type).data, nullptr);
    SetEmbeddedResourcesEnabledForTesting(true);
    EXPECT_NE(FindEmbeddedResource(name, type).data, nullptr);
}

}  // namespace
