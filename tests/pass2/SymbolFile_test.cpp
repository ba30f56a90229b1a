#include "SymbolFile.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadSymbolFile, SeparatorsAreFoundFromTheRight)
{
    Messages messages;
    // A quoted label may hold blanks and tabs; a lone colon defines the empty name.
    const SymbolTable symbols = ReadSymbolFile("'a \t b \t 2 \t 8192\n \t 1 \t 7\n", "prog.sym", messages);
    EXPECT_EQ(messages.Pending, "");
    ASSERT_EQ(symbols.count("'a \t b"), 1u);
    EXPECT_EQ(symbols.at("'a \t b").Value, 8192);
    EXPECT_EQ(symbols.at("").Value, 7);
}

TEST(ReadSymbolFile, NameDefinedTwiceKeepsItsNewestValue)
{
    Messages messages;
    const SymbolTable symbols = ReadSymbolFile("LOOP \t 2 \t 8197\nLOOP \t 2 \t 8194\n", "prog.sym", messages);
    EXPECT_EQ(messages.Errors, 1);
    EXPECT_EQ(symbols.at("LOOP").Value, 8197);
    EXPECT_TRUE(symbols.at("LOOP").Duplicate);
}

} // namespace
