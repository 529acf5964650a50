// murmurhall-host edit without a window: its event scripts and what happens with no X display.
#include <gtest/gtest.h>

#include "EventScript.h"
#include "HostError.h"
#include "HostTestKit.h"

namespace {

using namespace hosttest;

TEST(HostEditScriptTest, AClickIsAPressThenAReleaseAndBadLinesAreUsageErrorsNamingTheLine) {
    const std::vector<ScriptAction> click = EventScript::Parse("at 0.5 click 10 20\r\n", "s.txt");
    ASSERT_EQ(click.size(), 2u);
    EXPECT_EQ(click[0].kind, ScriptAction::Kind::Press);
    EXPECT_EQ(click[1].kind, ScriptAction::Kind::Release);
    EXPECT_EQ(click[0].at, 0.5);
    EXPECT_GT(click[1].at, click[0].at);
    EXPECT_EQ(std::make_tuple(click[1].x, click[1].y, click[1].button), std::make_tuple(10, 20, 1u));

    for (const char* line : {"click 1 2", "at 1 click 10", "at -1 click 1 2", "at 1 jump 1 2",
                             "at 1 click 1 2 3", "at x click 1 2", "at 1 drag 1 2 3"}) {
        SCOPED_TRACE(line);
        try {
            EventScript::Parse(std::string("at 0 click 1 1\n") + line + "\n", "s.txt");
            ADD_FAILURE() << "accepted";
        } catch (const HostError& error) {
            EXPECT_EQ(error.ExitStatus(), HostError::kUsage);
            EXPECT_TRUE(Has(error.what(), "s.txt")) << error.what();
            EXPECT_TRUE(Has(error.what(), "2")) << error.what();
        }
    }
}

TEST(HostEditScriptTest, WithoutAnXDisplayEditSaysSoAndFails) {
    const Result result = RunHost({"edit", "--after", "1"}, {"DISPLAY=:473"});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_GT(result.exitCode, 0) << "ended by a signal";
    EXPECT_TRUE(Has(result.err, "X display")) << result.err;
}

}  // namespace
