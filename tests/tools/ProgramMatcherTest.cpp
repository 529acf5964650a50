// Finding a program by number or name, in the documented order of rules.
#include <gtest/gtest.h>

#include "HostError.h"
#include "ProgramMatcher.h"

namespace {

const std::vector<std::string> kNames = {"1 Many Monks", "2 Crowded Hall", "3 Stadium Chant", "Choirish",
                                         "choirish ",    "Init",           "Init",            "03. Ocean Deep",
                                         "3D Space"};

std::string FindError(const std::string& query) {
    try {
        ProgramMatcher(kNames).Find(query);
    } catch (const HostError& error) {
        EXPECT_EQ(error.ExitStatus(), HostError::kUsage);
        return error.what();
    }
    return "";
}

TEST(ProgramMatcherTest, NumbersAreIndices) {
    const ProgramMatcher matcher(kNames);
    EXPECT_EQ(matcher.Find("0"), 0);
    EXPECT_EQ(matcher.Find("2"), 2);
    EXPECT_EQ(matcher.Find("8"), 8);
    EXPECT_NE(FindError("9").find("out of range"), std::string::npos);
    EXPECT_NE(FindError("-1").find("out of range"), std::string::npos);
    // A number is never read as a name, even where a name starts with it.
    EXPECT_EQ(matcher.Find("3"), 3);
}

TEST(ProgramMatcherTest, NamesExactThenFoldedThenWithoutNumber) {
    const ProgramMatcher matcher(kNames);
    EXPECT_EQ(matcher.Find("3 Stadium Chant"), 2);
    EXPECT_EQ(matcher.Find("3 STADIUM chant"), 2);
    EXPECT_EQ(matcher.Find("  3 stadium chant "), 2);
    EXPECT_EQ(matcher.Find("Stadium Chant"), 2);
    EXPECT_EQ(matcher.Find("stadium chant"), 2);
    EXPECT_EQ(matcher.Find("Ocean Deep"), 7);
    EXPECT_EQ(matcher.Find("3D Space"), 8);
    // The exact name wins over a second name that only matches ignoring case.
    EXPECT_EQ(matcher.Find("Choirish"), 3);
    EXPECT_EQ(matcher.Find("choirish "), 4);
}

TEST(ProgramMatcherTest, AmbiguousAndUnknownNamesAreRefused) {
    EXPECT_NE(FindError("CHOIRISH").find("ambiguous"), std::string::npos);
    EXPECT_NE(FindError("Init").find("programs 5, 6"), std::string::npos);
    const std::string unknown = FindError("Nowhere");
    EXPECT_NE(unknown.find("no program named 'Nowhere'"), std::string::npos);
    EXPECT_NE(unknown.find("2  3 Stadium Chant"), std::string::npos);
    // The number only counts as a prefix of the program's name, not of the query.
    EXPECT_NE(FindError("5 Stadium Chant"), "");
    EXPECT_NE(FindError("Space"), "");
    EXPECT_NE(FindError(""), "");
    EXPECT_NE(FindError("   "), "");
}

TEST(ProgramMatcherTest, NoProgramsAtAll) {
    const ProgramMatcher empty({});
    EXPECT_THROW(empty.Find("0"), HostError);
    EXPECT_THROW(empty.Find("Init"), HostError);
}

TEST(ProgramMatcherTest, LeadingNumbersNeedASeparator) {
    EXPECT_EQ(ProgramMatcher::WithoutNumber("3 Stadium Chant"), "Stadium Chant");
    EXPECT_EQ(ProgramMatcher::WithoutNumber("03. Ocean Deep"), "Ocean Deep");
    EXPECT_EQ(ProgramMatcher::WithoutNumber("12 - Fat Pack"), "Fat Pack");
    EXPECT_EQ(ProgramMatcher::WithoutNumber("3D Space"), "3D Space");
    EXPECT_EQ(ProgramMatcher::WithoutNumber("42"), "42");
    EXPECT_EQ(ProgramMatcher::WithoutNumber("New species 1"), "New species 1");
}

}  // namespace
