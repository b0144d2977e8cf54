// "/CHECK" and "--json" among the front end's switches.
#include <gtest/gtest.h>

#include <vector>

#include "app/front_end_options.h"

namespace zeltor {
namespace {

struct CheckOptionCase {
    std::vector<const char*> arguments;
    bool check;
    bool json;
    bool console;
    const char* unknown;  // nullptr when no argument is taken for an unknown option
};

TEST(CheckOptionsTest, CheckMatchesLikeAFlagSwitchAndTakesTheTerminal) {
    const CheckOptionCase cases[] = {
        {{"/CHECK"}, true, false, true, nullptr},
        {{"/check", "--json"}, true, true, true, nullptr},
        {{"/Check", "/SIMULATE", "/INSTANT"}, true, false, true, nullptr},
        {{"/CHECKX"}, false, false, false, nullptr},
        {{"x/CHECK"}, false, false, false, nullptr},
        {{"/CHECK=1"}, false, false, false, nullptr},
        {{"--json"}, false, true, false, nullptr},
        {{"/CHECK", "--JSON"}, true, false, true, "--JSON"},
        {{"/CHECK", "-json"}, true, false, true, nullptr},
    };
    for (const CheckOptionCase& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        const FrontEndOptions options = parseFrontEndOptions(
            static_cast<std::uint32_t>(c.arguments.size()), c.arguments.data());
        EXPECT_EQ(options.check, c.check);
        EXPECT_EQ(options.json, c.json);
        EXPECT_EQ(options.console, c.console);
        EXPECT_EQ(options.unknownOption.value_or(""), c.unknown ? c.unknown : "");
    }
}

}  // namespace
}  // namespace zeltor
