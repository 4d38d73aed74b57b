#include "launcher_core/base/config.h"
#include "launcher_core/profile/profile_link.h"

#include <gtest/gtest.h>

TEST(ConfigParse, BlanksCommentsSectionsAndEqualsInValues) {
    const LauncherConfig c = parse_config("[launcher]\r\n"
                                          "  data \t=   %LOCALDATA%\\data  \r\n"
                                          "# receipt=commented\n"
                                          "; game=commented\n"
                                          "receipt=C:\\r.json # not a comment\n"
                                          "server=http://h/x?a=1&b=2\n"
                                          "no equals here\n"
                                          "Game=ignored\n"
                                          "player=\"quoted\"\n"
                                          "unknown=1\n");
    EXPECT_EQ(c.data, "%LOCALDATA%\\data");
    EXPECT_EQ(c.receipt, "C:\\r.json # not a comment");
    EXPECT_EQ(c.server, "http://h/x?a=1&b=2");
    EXPECT_EQ(c.game, "");
    EXPECT_EQ(c.player, "\"quoted\"");
    EXPECT_FALSE(c.player_from_steam);
}

TEST(ConfigParse, DryrunOnlyForExactOneAndLastKeyWins) {
    EXPECT_FALSE(parse_config("dryrun=true\n").dryrun);
    EXPECT_TRUE(parse_config("dryrun =  1  \n").dryrun);
    EXPECT_FALSE(parse_config("dryrun=1\ndryrun=yes\n").dryrun);
    EXPECT_FALSE(parse_config("dryrun=01\n").dryrun);
    EXPECT_EQ(parse_config("data=a\ndata=b").data, "b");
}

TEST(ConfigParse, ByteOrderMarkDoesNotHideFirstKey) {
    EXPECT_EQ(parse_config("\xEF\xBB\xBFreceipt=r.json\r\ndata=d\r\n").receipt, "r.json");
}

TEST(ConfigParse, OverlongLinesAreReadInPieces) {
    // 1023 bytes of one line, then the rest as a line of its own, as fgets would give them.
    const std::string filler(1023 - 5, 'x');
    const LauncherConfig c = parse_config("game=" + filler + "data=tail\nreceipt=r\n");
    EXPECT_EQ(c.game, filler); // the first piece ends without a line end
    EXPECT_EQ(c.data, "tail"); // the second piece reads as its own line
    EXPECT_EQ(c.receipt, "r");
    EXPECT_EQ(parse_config("game=" + filler).game, filler);
}

TEST(Placeholders, BothExpandedWithoutRescanning) {
    const std::string app = "C:\\Race\\";
    EXPECT_EQ(expand_placeholders_with("%APPDIR%data", app, "L"), "C:\\Race\\data");
    EXPECT_EQ(expand_placeholders_with("%APPDIR%\\data", app, "L"), "C:\\Race\\\\data");
    EXPECT_EQ(expand_placeholders_with("%LOCALDATA%\\data", app, local_data_dir_from("C:\\U\\L")),
              "C:\\U\\L\\KVR-Race\\data");
    EXPECT_EQ(expand_placeholders_with("%APPDIR%%APPDIR%", "%APPDIR%", ""), "%APPDIR%%APPDIR%");
    EXPECT_EQ(expand_placeholders_with("%appdir%", app, "L"), "%appdir%");
}

TEST(Placeholders, UnsetLocalAppDataExpandsToNothing) {
    EXPECT_EQ(local_data_dir_from(""), "");
    EXPECT_EQ(expand_placeholders_with("%LOCALDATA%\\data", "A\\", local_data_dir_from("")),
              "\\data");
}

TEST(ProfileLink, TokenIsPercentEncoded) {
    EXPECT_EQ(profile_page_url("https://s", ""), "https://s/profile");
    EXPECT_EQ(profile_page_url("https://s", "tok123"), "https://s/profile?token=tok123");
    EXPECT_EQ(profile_page_url("https://s", "a&b=c d"), "https://s/profile?token=a%26b%3Dc%20d");
}
