#include "common/json_text.h"
#include "common/text.h"
#include "common/utf8.h"

#include <gtest/gtest.h>

using namespace kvr;

TEST(Text, TrimAndReplace) {
    EXPECT_EQ(trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(trim(" \r\n"), "");
    EXPECT_EQ(trim_right("tok\r\n \n", "\r\n "), "tok");
    // Inserted text is never searched again.
    EXPECT_EQ(replace_all("%A%%A%", "%A%", "%A%x"), "%A%x%A%x");
    EXPECT_EQ(replace_all("abc", "", "z"), "abc");
    EXPECT_EQ(strip_trailing_slashes("http://h:1///"), "http://h:1");
}

TEST(Utf8, ValidityAndBom) {
    EXPECT_TRUE(is_valid_utf8("D:\\\xE6\xB8\xB8\xE6\x88\x8F")); // 游戏
    EXPECT_TRUE(is_valid_utf8("\xF0\x9F\x98\x80"));             // emoji
    EXPECT_FALSE(is_valid_utf8("\xD3\xCE\xCF\xB7"));            // 游戏 in GBK
    EXPECT_FALSE(is_valid_utf8("\xC0\xAF"));                    // overlong '/'
    EXPECT_FALSE(is_valid_utf8("\xED\xA0\x80"));                // surrogate
    EXPECT_FALSE(is_valid_utf8("\xE6\xB8"));                    // cut short
    EXPECT_FALSE(is_valid_utf8("\xE0\x80\xAF"));                // overlong '/', three bytes
    EXPECT_FALSE(is_valid_utf8("\xE6\xB8\x41"));                // 'A' where a continuation goes
    EXPECT_EQ(strip_utf8_bom("\xEF\xBB\xBFgame=x"), "game=x");
    EXPECT_EQ(strip_utf8_bom("\xEF\xBB"), "\xEF\xBB");
}

TEST(JsonText, EscapesWhatWouldBreakABody) {
    EXPECT_EQ(json_escape("Ev\"il\\ Name"), "Ev\\\"il\\\\ Name");
    EXPECT_EQ(json_escape("a\nb\x01\x1f"), "a\\nb\\u0001\\u001f");
    EXPECT_EQ(json_escape("张三 \xF0\x9F\x98\x80"), "张三 \xF0\x9F\x98\x80");
}

TEST(JsonText, PercentEncodesAllButUnreserved) {
    EXPECT_EQ(percent_encode("tok123"), "tok123");
    EXPECT_EQ(percent_encode("a b&c=d/é"), "a%20b%26c%3Dd%2F%C3%A9");
    EXPECT_EQ(percent_encode("-._~"), "-._~");
}
