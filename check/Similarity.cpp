#include "Similarity.h"

#include "InstructionSet.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace {

constexpr const char* _Directives[] = {"DB", "DW", "DS", "ORG", "EQU", "END"};
constexpr const char* _RegisterNames[] = {"A", "B", "C", "D", "E", "H", "L", "M", "SP", "PSW"};

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool IsOperation(const std::string& word)
{
    return CountRegisterOperands(word) >= 0 ||
           std::any_of(std::begin(_Directives), std::end(_Directives), [&](const char* d) { return word == d; });
}

// The words of a line without its comment: blanks and commas separate, a
// quoted string is one word.
std::vector<std::string> SplitLine(std::string_view line)
{
    std::vector<std::string> words;
    std::string word;
    char quote = 0;
    for (char c : line) {
        if (quote) {
            word += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == ';')
            break;
        if (c == '\'' || c == '"') {
            quote = c;
            word += c;
        } else if (c == ' ' || c == '\t' || c == ',' || c == '\r') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

// An operand's shape: "r" for a register, "n" for a name, the value of a number.
std::string ShapeOfOperand(const std::string& word)
{
    const std::string upper = Upper(word);
    if (std::any_of(std::begin(_RegisterNames), std::end(_RegisterNames), [&](const char* r) { return upper == r; }))
        return "r";
    if (!upper.empty() && std::isdigit(static_cast<unsigned char>(upper[0]))) {
        std::string digits = upper;
        int base = 10;
        if (digits.back() == 'H') {
            digits.pop_back();
            base = 16;
        }
        unsigned long value = 0;
        for (char c : digits) {
            const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c >= 'A' && c <= 'F' ? c - 'A' + 10 : 99);
            if (d >= base)
                return upper;
            value = value * static_cast<unsigned long>(base) + static_cast<unsigned long>(d);
        }
        return std::to_string(value);
    }
    if (upper[0] == '\'' || upper[0] == '"')
        return word;
    return "n";
}

std::uint32_t Hash(std::string_view text)
{
    std::uint32_t hash = 2166136261u;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    return hash;
}

std::size_t LongestCommonSubsequence(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    std::vector<std::size_t> row(b.size() + 1, 0);
    for (std::uint32_t x : a) {
        std::size_t diagonal = 0;
        for (std::size_t j = 0; j < b.size(); ++j) {
            const std::size_t above = row[j + 1];
            row[j + 1] = x == b[j] ? diagonal + 1 : std::max(row[j + 1], row[j]);
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The instructions two sequences hold alike, order aside: a bound above
// their longest common subsequence, cheap to reckon.
std::size_t CommonCount(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b)
{
    std::size_t i = 0, j = 0, common = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i] == b[j])
            ++common, ++i, ++j;
        else if (a[i] < b[j])
            ++i;
        else
            ++j;
    }
    return common;
}

} // namespace

std::string ShapeOfLine(std::string_view line)
{
    std::vector<std::string> words = SplitLine(line);
    std::size_t first = 0;
    // Labels: words ending in ':', or a first word that is no operation (NAME EQU 5).
    while (first < words.size() && words[first].back() == ':')
        ++first;
    if (first < words.size() && !IsOperation(Upper(words[first])) && first + 1 < words.size() &&
        IsOperation(Upper(words[first + 1])))
        ++first;
    if (first >= words.size())
        return {};
    std::string shape = Upper(words[first]);
    for (std::size_t i = first + 1; i < words.size(); ++i)
        shape += (i == first + 1 ? " " : ",") + ShapeOfOperand(words[i]);
    return shape;
}

std::vector<std::uint32_t> ReadInstructionShapes(std::string_view source)
{
    std::vector<std::uint32_t> shapes;
    std::size_t start = 0;
    while (start < source.size()) {
        std::size_t end = source.find('\n', start);
        if (end == std::string_view::npos)
            end = source.size();
        const std::string shape = ShapeOfLine(source.substr(start, end - start));
        if (!shape.empty())
            shapes.push_back(Hash(shape));
        start = end + 1;
    }
    return shapes;
}

std::vector<SimilarPair> FindSimilarPairs(const std::vector<std::vector<std::uint32_t>>& sequences, double threshold,
                                          std::size_t minimum)
{
    std::vector<std::vector<std::uint32_t>> sorted = sequences;
    for (std::vector<std::uint32_t>& sequence : sorted)
        std::sort(sequence.begin(), sequence.end());
    std::vector<SimilarPair> pairs;
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        const std::size_t n = sequences[i].size();
        if (n < minimum)
            continue;
        for (std::size_t j = i + 1; j < sequences.size(); ++j) {
            const std::size_t m = sequences[j].size();
            if (m < minimum)
                continue;
            const double total = static_cast<double>(n + m);
            // Cheap bounds first: the lengths, then the instructions alike in any order.
            if (2.0 * static_cast<double>(std::min(n, m)) / total < threshold ||
                2.0 * static_cast<double>(CommonCount(sorted[i], sorted[j])) / total < threshold)
                continue;
            const double similarity =
                2.0 * static_cast<double>(LongestCommonSubsequence(sequences[i], sequences[j])) / total;
            if (similarity >= threshold)
                pairs.push_back({i, j, similarity, std::max(n, m)});
        }
    }
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const SimilarPair& a, const SimilarPair& b) { return a.Similarity > b.Similarity; });
    return pairs;
}

std::vector<SimilarGroup> FindSimilarGroups(const std::vector<std::vector<std::uint32_t>>& sequences,
                                            double threshold, std::size_t minimum)
{
    std::map<std::vector<std::uint32_t>, std::vector<std::size_t>> same;
    std::vector<std::vector<std::size_t>> groups; // in the order of their first member
    for (std::size_t i = 0; i < sequences.size(); ++i) {
        if (sequences[i].size() < minimum)
            continue;
        std::vector<std::size_t>& members = same[sequences[i]];
        members.push_back(i);
    }
    for (const auto& [sequence, members] : same)
        groups.push_back(members);
    std::sort(groups.begin(), groups.end());
    std::vector<SimilarGroup> found;
    for (const std::vector<std::size_t>& members : groups)
        if (members.size() > 1)
            found.push_back({members, {}, 1.0, sequences[members[0]].size()});
    std::stable_sort(found.begin(), found.end(), [](const SimilarGroup& a, const SimilarGroup& b) {
        return a.Members.size() > b.Members.size();
    });
    std::vector<std::vector<std::uint32_t>> firsts;
    for (const std::vector<std::size_t>& members : groups)
        firsts.push_back(sequences[members[0]]);
    for (const SimilarPair& pair : FindSimilarPairs(firsts, threshold, minimum)) {
        const std::vector<std::size_t>& a = groups[pair.First];
        const std::vector<std::size_t>& b = groups[pair.Second];
        found.push_back({{a[0], b[0]}, {a.size() - 1, b.size() - 1}, pair.Similarity, pair.Length});
    }
    return found;
}
