// The bundle reference: the folder found from the binary's path, the count shared by every editor
// in the process, and resources looked up inside the bundle.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Bundle.h"

namespace {

// A throw-away bundle tree: <tmp>/Murmurhall.vst/Contents/{x86_64-linux,Resources}.
class BundleTree : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Bundle::References(), 0) << "a previous test left a reference behind";
        std::string pattern = ::testing::TempDir() + "bundleXXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        char* resolved = realpath(pattern.c_str(), nullptr);  // the bundle path is held resolved
        ASSERT_NE(resolved, nullptr);
        root = resolved;
        std::free(resolved);
        bundle = root + "/Murmurhall.vst";
        binary = bundle + "/Contents/x86_64-linux/Murmurhall.so";
        for (const std::string& dir : {bundle, bundle + "/Contents", bundle + "/Contents/x86_64-linux",
                                       bundle + "/Contents/Resources"})
            ASSERT_EQ(mkdir(dir.c_str(), 0755), 0) << dir;
        std::ofstream(binary) << "not really code";
        std::ofstream(bundle + "/Contents/Resources/Murmurhall Help.txt") << "Help\r\n";
    }
    void TearDown() override {
        while (Bundle::References() > 0) Bundle::Release();
        std::system(("rm -rf '" + root + "'").c_str());
    }

    std::string root, bundle, binary;
};

TEST(BundleFolder, StripsTheFileNameAndTheTwoFoldersAboveIt) {
    std::string folder;
    ASSERT_TRUE(Bundle::FolderFromBinary("/home/me/.vst/Murmurhall.vst/Contents/x86_64-linux/Murmurhall.so", &folder));
    EXPECT_EQ(folder, "/home/me/.vst/Murmurhall.vst");
    ASSERT_TRUE(Bundle::FolderFromBinary("rel/Murmurhall.vst/Contents/bin/Murmurhall.so", &folder));
    EXPECT_EQ(folder, "rel/Murmurhall.vst");
    ASSERT_TRUE(Bundle::FolderFromBinary("/Contents/bin/Murmurhall.so", &folder));
    EXPECT_EQ(folder, "/");  // three separators: what is left is the root

    folder = "unchanged";
    for (const char* few : {"", "Murmurhall.so", "bin/Murmurhall.so", "Contents/bin/Murmurhall.so", "/x/y"})
        EXPECT_FALSE(Bundle::FolderFromBinary(few, &folder)) << few;
    EXPECT_EQ(folder, "unchanged");
}

TEST_F(BundleTree, TheFirstReferenceFindsTheBundleAndTheLastForgetsIt) {
    Bundle::AcquireFor(binary);
    EXPECT_EQ(Bundle::References(), 1);
    EXPECT_EQ(Bundle::Path(), bundle);

    // Later references share the first one's folder.
    Bundle::AcquireFor("/somewhere/else/entirely/Other.so");
    EXPECT_EQ(Bundle::References(), 2);
    EXPECT_EQ(Bundle::Path(), bundle);

    Bundle::Release();
    EXPECT_EQ(Bundle::Path(), bundle);
    Bundle::Release();
    EXPECT_EQ(Bundle::References(), 0);
    EXPECT_EQ(Bundle::Path(), "");
    Bundle::Release();  // one release too many
    EXPECT_EQ(Bundle::References(), 0);

    Bundle::AcquireFor(binary);  // found again after all were released
    EXPECT_EQ(Bundle::Path(), bundle);
    Bundle::Release();
}

TEST_F(BundleTree, TooFewSeparatorsPrintTheOneMessageAndLeaveItUnset) {
    ::testing::internal::CaptureStdout();
    Bundle::AcquireFor("bin/Murmurhall.so");
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Could not determine bundle location.\n");
    EXPECT_EQ(Bundle::Path(), "");
    EXPECT_EQ(Bundle::References(), 1);  // still counted, so releases stay balanced
    EXPECT_EQ(Bundle::Resource("Murmurhall Help", "txt"), "");
    Bundle::Release();
}

TEST_F(BundleTree, AFolderThatDoesNotExistStaysUnsetSilently) {
    ::testing::internal::CaptureStdout();
    Bundle::AcquireFor(root + "/Missing.vst/Contents/x86_64-linux/Murmurhall.so");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(Bundle::Path(), "");
    Bundle::Release();
}

TEST_F(BundleTree, ResourcesAreFoundByNameAndTypeInsideResources) {
    EXPECT_EQ(Bundle::Resource("Murmurhall Help", "txt"), "");  // no bundle yet
    Bundle::AcquireFor(binary);
    EXPECT_EQ(Bundle::Resource("Murmurhall Help", "txt"), bundle + "/Contents/Resources/Murmurhall Help.txt");
    EXPECT_EQ(Bundle::Resource("Murmurhall Help", "bmp"), "");
    EXPECT_EQ(Bundle::Resource("Missing", "txt"), "");
    EXPECT_EQ(Bundle::Resource(nullptr, "txt"), "");
    EXPECT_EQ(Bundle::Resource("", "txt"), "");
    // Names may not climb out of the resource folder.
    EXPECT_EQ(Bundle::Resource("../x86_64-linux/Murmurhall", "so"), "");
    EXPECT_EQ(Bundle::Resource("..", nullptr), "");
    std::ofstream(bundle + "/Contents/Resources/bmp00128") << "x";
    EXPECT_EQ(Bundle::Resource("bmp00128", nullptr), bundle + "/Contents/Resources/bmp00128");
    EXPECT_EQ(Bundle::Resource("bmp00128", ""), bundle + "/Contents/Resources/bmp00128");
    Bundle::Release();
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
    EXPECT_EQ(Bundle::References(), 0);
    EXPECT_EQ(Bundle::Path(), "");
}

TEST(BundleEntry, InitAndExitTakeAndDropAReferenceFromThisBinary) {
    ASSERT_EQ(Bundle::References(), 0);
    InitMachOLibrary();
    EXPECT_EQ(Bundle::References(), 1);
    // This test binary is <build>/tests/test_platform, so the "bundle" is the folder above the build.
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    std::string expected;
    ASSERT_TRUE(Bundle::FolderFromBinary(self, &expected));
    EXPECT_EQ(Bundle::Path(), expected);
    ExitMachOLibrary();
    EXPECT_EQ(Bundle::References(), 0);
    EXPECT_EQ(Bundle::Path(), "");
    ExitMachOLibrary();
    EXPECT_EQ(Bundle::References(), 0);
}

}  // namespace
