#include "params/ProtoRows.h"

#include <gtest/gtest.h>

using params::SplitLiteral;

TEST(SplitLiteral, GivesEveryPieceEmptyOnesIncluded)
{
    struct Case {
        const char* text;
        const char* separator;
        QStringList pieces;
    };
    const Case cases[] = {
        {"a\\/", "\\/", {"a", ""}},
        {"", "\\/", {""}},
        {"\\/\\/", "\\/", {"", "", ""}},
        {"x><1><", "><", {"x", "1", ""}},
        {"x>><<y", "><", {"x>", "<y"}},
        {"a|||b", "||", {"a", "|b"}},
        {"a\\b/c", "\\/", {"a\\b/c"}},
        {"Off||On||Auto", "||", {"Off", "On", "Auto"}},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitLiteral(c.text, c.separator), c.pieces) << c.text;
}
