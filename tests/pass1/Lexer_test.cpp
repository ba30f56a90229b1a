#include "Lexer.h"

#include "LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Tokenized {
    std::vector<std::string> Tokens;
    std::string Log; // what followed the "Tokenizing " line
};

Tokenized TokenizeLogged(const std::string& line)
{
    LogCapture log;
    char tokens[_MaxTokens][_MaxTokenLength];
    std::memset(tokens, '#', sizeof tokens);
    const int count = Tokenize(line.c_str(), tokens);
    Tokenized result;
    for (int i = 0; i < count; ++i) {
        result.Tokens.emplace_back(tokens[i]);
    }
    const std::string text = log.Text();
    const std::string header = "Tokenizing " + line + "\n";
    EXPECT_EQ(text.substr(0, header.size()), header);
    result.Log = text.substr(std::min(header.size(), text.size()));
    return result;
}

using Lines = std::vector<std::string>;

TEST(IsComment, BlankAndCommentLines)
{
    EXPECT_TRUE(IsComment(""));
    EXPECT_TRUE(IsComment(" \t \t"));
    EXPECT_TRUE(IsComment("   *"));
    EXPECT_TRUE(IsComment("\t; comment"));
    for (const char* start = ";#$!~`%*"; *start != '\0'; ++start) {
        EXPECT_TRUE(IsComment(std::string(1, *start).c_str())) << *start;
    }
}

TEST(IsComment, StatementLines)
{
    EXPECT_FALSE(IsComment(",,,"));
    EXPECT_FALSE(IsComment(", ;"));
    EXPECT_FALSE(IsComment("HLT ; stop"));
    EXPECT_FALSE(IsComment("\r"));
}

TEST(Tokenize, ExampleTable)
{
    auto r = TokenizeLogged("START:  mvi a,0ffh ; load");
    EXPECT_EQ(r.Tokens, (Lines{"START:", "MVI", "A", "0FFH"}));
    EXPECT_EQ(r.Log, "Found Token START:\nFound Token MVI\nFound Token A\nFound Token 0FFH\n"
                     "Remaining Part is Comment\n");

    r = TokenizeLogged("msg: db 'Hi, there',0dh");
    EXPECT_EQ(r.Tokens, (Lines{"MSG:", "DB", "'Hi, there", "0DH"}));
    EXPECT_EQ(r.Log, "Found Token MSG:\nFound Token DB\nFound Token 'Hi, there\nFound Token 0DH\n");

    r = TokenizeLogged("db 'abc");
    EXPECT_EQ(r.Tokens, (Lines{"DB", "'abc"}));
    EXPECT_EQ(r.Log, "Found Token DB\n*****ERROR: String Token without Matching Closure\n"
                     "Found Token 'abc\n");

    r = TokenizeLogged("ld a;b");
    EXPECT_EQ(r.Tokens, (Lines{"LD", "A;B"}));
    EXPECT_EQ(r.Log, "Found Token LD\nFound Token A;B\n");

    r = TokenizeLogged("jmp $+3");
    EXPECT_EQ(r.Tokens, (Lines{"JMP"}));
    EXPECT_EQ(r.Log, "Found Token JMP\nRemaining Part is Comment\n");
}

TEST(Tokenize, LinesWithoutTokens)
{
    auto r = TokenizeLogged("");
    EXPECT_TRUE(r.Tokens.empty());
    EXPECT_EQ(r.Log, "");

    r = TokenizeLogged(" \t ");
    EXPECT_TRUE(r.Tokens.empty());
    EXPECT_EQ(r.Log, "");

    r = TokenizeLogged(",,,");
    EXPECT_TRUE(r.Tokens.empty());
    EXPECT_EQ(r.Log, "");

    r = TokenizeLogged(", ;");
    EXPECT_TRUE(r.Tokens.empty());
    EXPECT_EQ(r.Log, "Remaining Part is Comment\n");
}

TEST(Tokenize, QuotedTokens)
{
    EXPECT_EQ(TokenizeLogged("''").Tokens, (Lines{"'"}));
    EXPECT_EQ(TokenizeLogged("'AB'cd").Tokens, (Lines{"'AB", "CD"}));
    EXPECT_EQ(TokenizeLogged("'say \"hi\"'").Tokens, (Lines{"'say \"hi\""}));
    EXPECT_EQ(TokenizeLogged("\"it's ; x\"").Tokens, (Lines{"\"it's ; x"}));
    EXPECT_EQ(TokenizeLogged("it's").Tokens, (Lines{"IT'S"}));

    const auto r = TokenizeLogged("db \"open");
    EXPECT_EQ(r.Tokens, (Lines{"DB", "\"open"}));
    EXPECT_EQ(r.Log, "Found Token DB\n*****ERROR: String Token without Matching Closure\n"
                     "Found Token \"open\n");
}

TEST(Tokenize, EveryCommentStartEndsTheLineWhereATokenWouldBegin)
{
    for (const char* start = ";#$!~`%*"; *start != '\0'; ++start) {
        const auto r = TokenizeLogged(std::string("nop ") + *start + "x y");
        EXPECT_EQ(r.Tokens, (Lines{"NOP"})) << *start;
        EXPECT_EQ(r.Log, "Found Token NOP\nRemaining Part is Comment\n") << *start;
    }
}

TEST(Tokenize, CaseConversionAndRawBytes)
{
    EXPECT_EQ(TokenizeLogged("mov a;x").Tokens, (Lines{"MOV", "A;X"}));
    EXPECT_EQ(TokenizeLogged("nop\r").Tokens, (Lines{"NOP\r"}));
    EXPECT_EQ(TokenizeLogged("\xe9t\xff 'caf\xe9'").Tokens, (Lines{"\xe9T\xff", "'caf\xe9"}));
    EXPECT_EQ(TokenizeLogged("a\tb,c  ,d").Tokens, (Lines{"A", "B", "C", "D"}));
}

TEST(Tokenize, RowsAfterTheCountAreLeftAlone)
{
    LogCapture log;
    char tokens[_MaxTokens][_MaxTokenLength];
    std::strcpy(tokens[1], "OLD");
    EXPECT_EQ(Tokenize("new", tokens), 1);
    EXPECT_STREQ(tokens[0], "NEW");
    EXPECT_STREQ(tokens[1], "OLD");
}

TEST(Tokenize, AtMostSixteenTokensAreKept)
{
    std::string line;
    for (int i = 0; i < 20; ++i) {
        line += "t" + std::to_string(i) + " ";
    }
    const auto r = TokenizeLogged(line);
    ASSERT_EQ(r.Tokens.size(), 16u);
    EXPECT_EQ(r.Tokens[15], "T15");
    const std::string tail = "Found Token T15\nMore than 16 tokens: the rest of the line is ignored\n";
    EXPECT_EQ(r.Log.substr(r.Log.size() - tail.size()), tail);

    // Sixteen tokens followed by a comment need no such line.
    const auto full = TokenizeLogged("a b c d e f g h i j k l m n o p ; q");
    EXPECT_EQ(full.Tokens.size(), 16u);
    EXPECT_EQ(full.Log.find("More"), std::string::npos);
}

TEST(Tokenize, LongTokensAreCutTo63Characters)
{
    const std::string longWord(100, 'q');
    auto r = TokenizeLogged(longWord + " next");
    EXPECT_EQ(r.Tokens, (Lines{std::string(63, 'Q'), "NEXT"}));
    EXPECT_EQ(r.Log, "Token longer than 63 characters: only its first 63 are kept\nFound Token " +
                         std::string(63, 'Q') + "\nFound Token NEXT\n");

    r = TokenizeLogged("'" + longWord + "' x");
    EXPECT_EQ(r.Tokens, (Lines{"'" + std::string(62, 'q'), "X"}));

    r = TokenizeLogged(std::string(63, 'z'));
    EXPECT_EQ(r.Tokens, (Lines{std::string(63, 'Z')}));
    EXPECT_EQ(r.Log.find("longer"), std::string::npos);
}

} // namespace
