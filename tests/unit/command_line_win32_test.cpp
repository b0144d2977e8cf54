#include "platform/win32/command_line_win32.h"

#include <gtest/gtest.h>

namespace zeltor {
namespace {

TEST(CommandLineWin32Test, ArgumentPartIsSplitByThePlatformRules) {
    const auto arguments = splitArgumentPart(
        L"\"C:\\Program Files\\tool.exe\" /FORCEDIR=\"C:\\my fw\" /TIMER=5 Gr\u00FC\u00DFe");
    ASSERT_EQ(arguments.size(), 3u);
    EXPECT_EQ(arguments[0], "/FORCEDIR=C:\\my fw");
    EXPECT_EQ(arguments[1], "/TIMER=5");
    EXPECT_EQ(arguments[2], "Grüße");
    const auto unquoted = splitArgumentPart(L"tool.exe /shroud");
    ASSERT_EQ(unquoted.size(), 1u);
    EXPECT_EQ(unquoted[0], "/shroud");
    // A quoted value in the first switch is read like one in any later switch.
    const auto first = splitArgumentPart(L"tool.exe /FORCEDIR=\"C:\\my fw\"");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0], "/FORCEDIR=C:\\my fw");
}

TEST(CommandLineWin32Test, EmptyArgumentPartGivesTheProgramPath) {
    const auto arguments = splitArgumentPart(L"tool.exe");
    ASSERT_EQ(arguments.size(), 1u);
    EXPECT_NE(arguments[0].find(".exe"), std::string::npos);
    EXPECT_TRUE(splitArgumentPart(nullptr).empty());
}

}  // namespace
}  // namespace zeltor
