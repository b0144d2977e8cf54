// The status line's link markup as the label shows it: only the anchor is markup.
#include <gtest/gtest.h>

#include "platform/qt/link_markup_qt.h"

namespace zeltor {
namespace {

TEST(LinkMarkupTest, OnlyTheAnchorIsMarkup) {
    const struct {
        const char* markup;
        const char* rich;
    } cases[] = {
        {R"(<a href="https://x.example/a?b=1&c=2">FAQ</a>)",
         R"(<a href="https://x.example/a?b=1&amp;c=2">FAQ</a>)"},
        {R"(See <a href="https://x.example/">the FAQ & more</a> now)",
         R"(See <a href="https://x.example/">the FAQ &amp; more</a> now)"},
        // A translation's own "<" and "&" are text.
        {"1 < 2 & <b>bold</b>", "1 &lt; 2 &amp; &lt;b&gt;bold&lt;/b&gt;"},
        // An anchor that is never closed is text as well.
        {R"(<a href="https://x.example/">FAQ)",
         R"(&lt;a href=&quot;https://x.example/&quot;&gt;FAQ)"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(linkMarkupToRichText(QString::fromUtf8(c.markup)).toStdString(), c.rich)
            << c.markup;
    }
}

}  // namespace
}  // namespace zeltor
