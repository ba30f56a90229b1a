// Submissions whose instruction sequences are nearly the same once labels,
// register names, comments and layout are set aside: a figure to look at,
// never a verdict.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The source as a sequence of instructions, each reduced to its mnemonic
// and the shape of its operands (a register is "r", a name "n", a number its
// value), as one hash each.
std::vector<std::uint32_t> ReadInstructionShapes(std::string_view source);

// The same reduction of one line, as text ("MOV r,r"; "" for a line with no
// instruction or directive), for the tests and the docs.
std::string ShapeOfLine(std::string_view line);

struct SimilarPair {
    std::size_t First = 0;  // indexes into the sequences given, First < Second
    std::size_t Second = 0;
    double Similarity = 0;   // 2 x the longest common subsequence / the two lengths together
    std::size_t Length = 0;  // the longer sequence's length
};

// Every pair whose similarity is at least threshold (0 to 1), the most
// similar first; sequences shorter than minimum are left out.
std::vector<SimilarPair> FindSimilarPairs(const std::vector<std::vector<std::uint32_t>>& sequences, double threshold,
                                          std::size_t minimum = 4);

// What the report lists: submissions whose sequences are the same (every
// member, similarity 1), and pairs of different sequences at least threshold
// alike, each named by its first submission, with how many others share it.
struct SimilarGroup {
    std::vector<std::size_t> Members; // the same sequence: all of them; a pair: the first of each
    std::vector<std::size_t> Alike;   // a pair: how many others share each one's sequence
    double Similarity = 1;
    std::size_t Length = 0; // the longer sequence's length
};

// The same sequences first (the largest group first), then the pairs, the
// most similar first.
std::vector<SimilarGroup> FindSimilarGroups(const std::vector<std::vector<std::uint32_t>>& sequences,
                                            double threshold, std::size_t minimum = 4);
