#include "launcher_core/steam/steam_files.h"

#include "common/utf8.h"

#include <gtest/gtest.h>

namespace {

using Tokens = std::vector<std::string>;

std::string keep(std::string_view s) {
    return std::string(s);
}

// Stands in for the ANSI code page: only text that is not UTF-8 is "converted".
std::string fake_ansi(std::string_view s) {
    return kvr::is_valid_utf8(s) ? std::string(s) : "D:\\游戏\\SteamLibrary";
}

std::vector<std::string> libraries(std::string_view root, std::string_view vdf,
                                   TextDecoder decode = keep) {
    return libraries_from_tokens(root, read_quoted_tokens(vdf), decode);
}

SteamAccount account(std::string_view vdf, TextDecoder decode = keep) {
    return account_from_tokens(read_quoted_tokens(vdf), decode);
}

const char kTwoUsers[] = R"("users"
{
	"76561198000000001"
	{
		"AccountName"		"first_login"
		"PersonaName"		"First"
		"MostRecent"		"0"
	}
	"76561198000000002"
	{
		"AccountName"		"second_login"
		"PersonaName"		"Second"
		"MostRecent"		"1"
	}
})";

} // namespace

TEST(SteamTokens, PairsOfQuotesOutsideTextAndOpenQuote) {
    EXPECT_EQ(read_quoted_tokens(""), Tokens{});
    EXPECT_EQ(read_quoted_tokens("{ \"a\"\t\"\" }\r\n\"b c\" junk \"\""),
              (Tokens{"a", "", "b c", ""}));
    // A quote left open at the end gives no token; the complete ones before it are kept.
    EXPECT_EQ(read_quoted_tokens("\"path\" \"C:\\\\Stea"), Tokens{"path"});
    EXPECT_EQ(read_quoted_tokens("no quotes at all { }"), Tokens{});
}

TEST(SteamTokens, EscapedQuoteAndBackslashAsSteamWritesThem) {
    // Ev"il\ Name as Steam writes it: the escaped quote does not end the token or shift the next.
    EXPECT_EQ(read_quoted_tokens(R"("PersonaName" "Ev\"il\\ Name" "MostRecent" "1")"),
              (Tokens{"PersonaName", "Ev\"il\\ Name", "MostRecent", "1"}));
    // A lone backslash before another character is kept; a UNC prefix survives.
    EXPECT_EQ(read_quoted_tokens(R"("C:\Games" "\\\\nas\\steam")"),
              (Tokens{"C:\\Games", "\\\\nas\\steam"}));
}

TEST(SteamLibraries, RootFirstDuplicatesDroppedAndSlashesUnified) {
    const char vdf[] = R"("libraryfolders"
{
	"0" { "path" "c:\\program files (x86)\\steam" "label" "" }
	"1" { "path" "D:\\SteamLibrary" "apps" { "4127730" "123" } }
	"2" { "path" "E:/Games/Steam/" }
	"3" { "path" "D:\\SteamLibrary\\" }
	"4" { "path" "" }
	"5" { "path" "D:\\游戏\\SteamLibrary" }
})";
    EXPECT_EQ(libraries("C:/Program Files (x86)/Steam/", vdf),
              (Tokens{"C:\\Program Files (x86)\\Steam", "D:\\SteamLibrary", "E:\\Games\\Steam",
                      "D:\\游戏\\SteamLibrary"}));
}

TEST(SteamLibraries, EmptyRootMissingFileAndNonUtf8Paths) {
    EXPECT_EQ(libraries("", R"("path" "D:\\Lib")"), Tokens{});
    EXPECT_EQ(libraries("C:\\Steam", ""), Tokens{"C:\\Steam"});
    // A trailing "path" with no value adds nothing.
    EXPECT_EQ(libraries("C:\\Steam", R"("path")"), Tokens{"C:\\Steam"});
    // UTF-8 bytes are taken as they are; other bytes go through the code-page decoder.
    EXPECT_EQ(
        libraries("C:\\Steam", "\"path\" \"D:\\\\\xD3\xCE\xCF\xB7\\\\SteamLibrary\"", fake_ansi),
        (Tokens{"C:\\Steam", "D:\\游戏\\SteamLibrary"}));
    // A UNC library keeps its leading double backslash.
    EXPECT_EQ(libraries("C:\\Steam", R"("path" "\\\\nas\\games")"),
              (Tokens{"C:\\Steam", "\\\\nas\\games"}));
}

TEST(SteamAccountWalk, MostRecentWinsOtherwiseFirstWithPersona) {
    const SteamAccount recent = account(kTwoUsers);
    EXPECT_EQ(recent.steam_id, "76561198000000002");
    EXPECT_EQ(recent.persona, "Second");

    const SteamAccount first = account(R"(
        "76561198000000001" { "AccountName" "a" "PersonaName" "" }
        "76561198000000002" { "AccountName" "b" "PersonaName" "Bee" "MostRecent" "0" }
        "76561198000000003" { "AccountName" "c" "PersonaName" "Cee" })");
    EXPECT_EQ(first.steam_id, "76561198000000002");
    EXPECT_EQ(first.persona, "Bee");
}

TEST(SteamAccountWalk, OnlyRealIdsAndValuesNeverTakenForKeys) {
    // 17 digits not starting with 7656, and 7656 with letters, are not ids.
    const SteamAccount a = account(R"(
        "12345678901234567" { "PersonaName" "NoId" }
        "7656119800000000x" { "PersonaName" "Letters" }
        "76561198000000009" { "PersonaName" "Real" })");
    EXPECT_EQ(a.steam_id, "76561198000000009");
    EXPECT_EQ(a.persona, "Real");

    // Personas that read like an id or a key stay personas.
    const SteamAccount b = account(R"(
        "76561198000000001" { "PersonaName" "76561198000000777" "MostRecent" "1" }
        "76561198000000002" { "PersonaName" "MostRecent" }
        "1" { })");
    EXPECT_EQ(b.steam_id, "76561198000000001");
    EXPECT_EQ(b.persona, "76561198000000777");

    const SteamAccount c = account(R"("76561198000000001" { "PersonaName" "Ev\"il\\ Name"
        "MostRecent" "1" })");
    EXPECT_EQ(c.persona, "Ev\"il\\ Name");
    EXPECT_EQ(c.steam_id, "76561198000000001");
}

TEST(SteamAccountWalk, EmptyFileAndNonUtf8Persona) {
    const SteamAccount none = account("");
    EXPECT_EQ(none.steam_id, "");
    EXPECT_EQ(none.persona, "");
    const SteamAccount gbk =
        account("\"76561198000000001\" { \"PersonaName\" \"\xD3\xCE\" }", fake_ansi);
    EXPECT_EQ(gbk.persona, "D:\\游戏\\SteamLibrary");
}
