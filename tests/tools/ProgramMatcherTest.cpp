// Finding a program by number or name, in the documented order of rules.
#include <gtest/gtest.h>

#include "HostError.h"
#include "ProgramMatcher.h"

namespace {

TEST(ProgramMatcherTest, NumbersThenExactThenFoldedThenWithoutLeadingNumber) {
    const ProgramMatcher matcher({"1 Many Monks", "2 Crowded Hall", "3 Stadium Chant", "Choirish", "choirish ", "Init",
                                  "Init", "03. Ocean Deep", "3D Space", "12 - Fat Pack"});
    // A number is an index, even where a name starts with it; the exact name wins over one that
    // matches only ignoring case.
    const std::pair<const char*, int> found[] = {{"0", 0}, {"3", 3}, {"9", 9}, {"3 Stadium Chant", 2},
        {"3 STADIUM chant", 2}, {"  3 stadium chant ", 2}, {"Stadium Chant", 2}, {"stadium chant", 2},
        {"Ocean Deep", 7}, {"3D Space", 8}, {"fat pack", 9}, {"Choirish", 3}, {"choirish ", 4}};
    for (const auto& [query, index] : found) EXPECT_EQ(matcher.Find(query), index) << query;
    // The number only counts as a prefix of the program's name, and only with a separator after it.
    const std::pair<const char*, const char*> refused[] = {{"10", "out of range"}, {"-1", "out of range"},
        {"CHOIRISH", "ambiguous"}, {"Init", "matches programs 5, 6"}, {"5 Stadium Chant", "no program named"},
        {"Space", "no program named"}, {"D Space", "no program named"}, {"", "needs a number or a name"},
        {"   ", "needs a number or a name"},
        {"Nowhere", "no program named 'Nowhere'; the programs are:\n  0  1 Many Monks\n  1  2 Crowded Hall\n"}};
    for (const auto& [query, reason] : refused) {
        try {
            matcher.Find(query);
            ADD_FAILURE() << "found: " << query;
        } catch (const HostError& error) {
            EXPECT_EQ(error.ExitStatus(), HostError::kUsage);
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << query << ": " << error.what();
        }
    }
    EXPECT_THROW(ProgramMatcher({}).Find("0"), HostError);
    EXPECT_THROW(ProgramMatcher({}).Find("Init"), HostError);
    EXPECT_EQ(ProgramMatcher::WithoutNumber("42"), "42");
}

}  // namespace
