// Instruction shapes and the similarity figure.
#include "Similarity.h"

#include <gtest/gtest.h>

namespace {

struct ShapeRow {
    const char* Line;
    const char* Shape;
};

const ShapeRow _Shapes[] = {
    {"START:  MOV A, B      ; comment", "MOV r,r"},
    {"        mov c,d", "MOV r,r"},
    {"loop:   JNZ LOOP", "JNZ n"},
    {"        MVI A, 0AH", "MVI r,10"},
    {"        MVI A, 10", "MVI r,10"},
    {"        LXI H, 2050H", "LXI r,8272"},
    {"COUNT   EQU 5", "EQU 5"},
    {"MSG:    DB 'a;b', 0", "DB 'a;b',0"},
    {"; only a comment", ""},
    {"ALONE:", ""},
    {"", ""},
};

TEST(Similarity, ShapesSetLabelsRegistersCommentsAndLayoutAside)
{
    for (const ShapeRow& row : _Shapes)
        EXPECT_EQ(ShapeOfLine(row.Line), row.Shape) << row.Line;
}

const char* const _Program = "        ORG 2000H\n"
                             "START:  LXI H, 2050H\n"
                             "        MOV C, M\n"
                             "NEXT:   INX H\n"
                             "        ADD M\n"
                             "        DCR C\n"
                             "        JNZ NEXT\n"
                             "        STA 2070H\n"
                             "        HLT\n";

const char* const _Renamed = "; my own work\n"
                             "  org 2000h\n"
                             "begin: lxi h,2050h\n"
                             "  mov b,m ; count\n"
                             "again:\n"
                             "  inx h\n"
                             "  add m\n"
                             "  dcr b\n"
                             "  jnz again\n"
                             "  sta 2070h\n"
                             "  hlt\n";

const char* const _Other = "        ORG 2000H\n"
                           "        LDA 2050H\n"
                           "        MOV B, A\n"
                           "        LDA 2052H\n"
                           "        ADD B\n"
                           "        DAA\n"
                           "        STA 2060H\n"
                           "        OUT 01H\n"
                           "        HLT\n";

TEST(Similarity, ARenamedCopyIsTheSameSequence)
{
    const auto pairs = FindSimilarPairs({ReadInstructionShapes(_Program), ReadInstructionShapes(_Renamed),
                                         ReadInstructionShapes(_Other)},
                                        0.8);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].First, 0u);
    EXPECT_EQ(pairs[0].Second, 1u);
    EXPECT_DOUBLE_EQ(pairs[0].Similarity, 1.0);
    EXPECT_EQ(pairs[0].Length, 9u);
}

TEST(Similarity, TheFigureIsTwiceTheCommonSubsequenceOverBothLengths)
{
    // Sequences of 4 and 6 sharing a subsequence of 4: 8 / 10.
    const std::vector<std::uint32_t> a{1, 2, 3, 4};
    const std::vector<std::uint32_t> b{1, 9, 2, 3, 9, 4};
    const auto pairs = FindSimilarPairs({a, b}, 0.5);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_DOUBLE_EQ(pairs[0].Similarity, 0.8);
    // The same instructions in another order are not the same sequence.
    const std::vector<std::uint32_t> c{4, 3, 2, 1};
    const auto reordered = FindSimilarPairs({a, c}, 0.0);
    ASSERT_EQ(reordered.size(), 1u);
    EXPECT_DOUBLE_EQ(reordered[0].Similarity, 0.25);
}

TEST(Similarity, ShortSequencesAreLeftOut)
{
    const std::vector<std::uint32_t> tiny{1, 2, 3};
    EXPECT_TRUE(FindSimilarPairs({tiny, tiny}, 0.5).empty());
    EXPECT_EQ(FindSimilarPairs({tiny, tiny}, 0.5, 3).size(), 1u);
}

TEST(Similarity, MostSimilarFirst)
{
    const std::vector<std::uint32_t> a{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::vector<std::uint32_t> b = a;
    b[9] = 99;
    const auto pairs = FindSimilarPairs({a, b, a}, 0.8);
    ASSERT_EQ(pairs.size(), 3u);
    EXPECT_DOUBLE_EQ(pairs[0].Similarity, 1.0);
    EXPECT_EQ(pairs[0].First, 0u);
    EXPECT_EQ(pairs[0].Second, 2u);
    EXPECT_DOUBLE_EQ(pairs[1].Similarity, 0.9);
}

} // namespace

namespace {

TEST(Similarity, TheSameSequencesFormOneGroupAndPairsNameTheirFirst)
{
    const std::vector<std::uint32_t> a{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    std::vector<std::uint32_t> b = a;
    b[9] = 99;
    const std::vector<std::uint32_t> other{20, 21, 22, 23, 24};
    const auto groups = FindSimilarGroups({b, a, other, a, a, b}, 0.8);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].Members, (std::vector<std::size_t>{1, 3, 4})); // the largest first
    EXPECT_TRUE(groups[0].Alike.empty());
    EXPECT_DOUBLE_EQ(groups[0].Similarity, 1.0);
    EXPECT_EQ(groups[1].Members, (std::vector<std::size_t>{0, 5}));
    EXPECT_EQ(groups[2].Members, (std::vector<std::size_t>{0, 1})); // a pair: the first of each sequence
    EXPECT_EQ(groups[2].Alike, (std::vector<std::size_t>{1, 2}));
    EXPECT_DOUBLE_EQ(groups[2].Similarity, 0.9);
}

} // namespace
