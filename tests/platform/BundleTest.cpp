// The bundle reference: the folder found from the binary's path, the count shared by every editor
// in the process, and resources looked up inside the bundle.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Bundle.h"

namespace {

TEST(BundleFolder, StripsTheFileNameAndTheTwoFoldersAboveIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/me/.vst/Murmurhall.vst/Contents/x86_64-linux/Murmurhall.so", "/home/me/.vst/Murmurhall.vst"},
        {"rel/Murmurhall.vst/Contents/bin/Murmurhall.so", "rel/Murmurhall.vst"},
        {"/Contents/bin/Murmurhall.so", "/"},  // three separators: what is left is the root
        {"", nullptr}, {"Murmurhall.so", nullptr}, {"bin/Murmurhall.so", nullptr},
        {"Contents/bin/Murmurhall.so", nullptr}, {"/x/y", nullptr}};  // fewer than three: none
    for (const auto& [binary, expected] : cases) {
        std::string folder = "unchanged";
        EXPECT_EQ(Bundle::FolderFromBinary(binary, &folder), expected != nullptr) << binary;
        EXPECT_EQ(folder, expected != nullptr ? expected : "unchanged") << binary;
    }
}

// A throw-away bundle tree: <tmp>/Murmurhall.vst/Contents/{x86_64-linux,Resources}.
class BundleTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Bundle::References(), 0) << "a previous test left a reference behind";
        std::string pattern = ::testing::TempDir() + "bundleXXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        root = std::filesystem::canonical(pattern);  // the bundle path is held resolved
        bundle = root + "/Murmurhall.vst";
        binary = bundle + "/Contents/x86_64-linux/Murmurhall.so";
        resources = bundle + "/Contents/Resources/";
        std::filesystem::create_directories(bundle + "/Contents/x86_64-linux");
        std::filesystem::create_directories(resources);
        std::ofstream(binary) << "not really code";
        std::ofstream(resources + "Murmurhall Help.txt") << "Help\r\n";
        std::ofstream(resources + "bmp00128") << "x";
    }
    void TearDown() override {
        while (Bundle::References() > 0) Bundle::Release();
        std::filesystem::remove_all(root);
    }

    std::string root, bundle, binary, resources;
};

TEST_F(BundleTree, TheFirstReferenceFindsTheBundleAndItsResourcesAndTheLastForgetsIt) {
    Bundle::AcquireFor(binary);
    Bundle::AcquireFor("/somewhere/else/entirely/Other.so");  // later ones share the first one's folder
    EXPECT_EQ(std::pair(Bundle::References(), Bundle::Path()), std::pair(2, bundle));
    Bundle::Release();
    EXPECT_EQ(Bundle::Path(), bundle);
    Bundle::Release();
    Bundle::Release();  // one release too many
    EXPECT_EQ(std::pair(Bundle::References(), Bundle::Path()), std::pair(0, std::string()));
    Bundle::AcquireFor(binary);  // found again after all were released
    EXPECT_EQ(Bundle::Path(), bundle);

    const std::pair<const char*, const char*> absent[] = {
        {"Murmurhall Help", "bmp"}, {"Missing", "txt"}, {nullptr, "txt"}, {"", "txt"},
        {"../x86_64-linux/Murmurhall", "so"}, {"..", nullptr}};  // names may not climb out
    for (const auto& [name, type] : absent) EXPECT_EQ(Bundle::Resource(name, type), "") << (name ? name : "null");
    EXPECT_EQ(Bundle::Resource("Murmurhall Help", "txt"), resources + "Murmurhall Help.txt");
    EXPECT_EQ(Bundle::Resource("bmp00128", nullptr), resources + "bmp00128");
    EXPECT_EQ(Bundle::Resource("bmp00128", ""), resources + "bmp00128");
    Bundle::Release();

    // Unusable paths leave it unset; only too few separators say so.
    const std::pair<std::string, const char*> cases[] = {
        {"bin/Murmurhall.so", "Could not determine bundle location.\n"},
        {root + "/Missing.vst/Contents/x86_64-linux/Murmurhall.so", ""}};
    for (const auto& [path, message] : cases) {
        ::testing::internal::CaptureStdout();
        Bundle::AcquireFor(path);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), message) << path;
        EXPECT_EQ(std::pair(Bundle::References(), Bundle::Path()), std::pair(1, std::string()));  // still counted
        EXPECT_EQ(Bundle::Resource("Murmurhall Help", "txt"), "");
        Bundle::Release();
    }
}

TEST_F(BundleTree, ConcurrentEditorsKeepTheCountExact) {
    std::vector<std::thread> editors;
    for (int t = 0; t < 4; ++t)
        editors.emplace_back([this] {
            for (int i = 0; i < 500; ++i) {
                Bundle::AcquireFor(binary);
                ASSERT_EQ(Bundle::Path(), bundle);  // while this thread holds one, it is set
                Bundle::Release();
            }
        });
    for (std::thread& editor : editors) editor.join();
    EXPECT_EQ(std::pair(Bundle::References(), Bundle::Path()), std::pair(0, std::string()));
}

TEST(BundleEntry, InitAndExitTakeAndDropAReferenceFromThisBinary) {
    std::string expected;  // this binary is <build>/tests/test_platform: the "bundle" is above the build
    ASSERT_TRUE(Bundle::FolderFromBinary(std::filesystem::canonical("/proc/self/exe"), &expected));
    InitMachOLibrary();
    EXPECT_EQ(std::pair(Bundle::References(), Bundle::Path()), std::pair(1, expected));
    ExitMachOLibrary();
    ExitMachOLibrary();
    EXPECT_EQ(std::pair(Bundle::References(), Bundle::Path()), std::pair(0, std::string()));
}

}  // namespace
