#include "SymbolFile.h"

#include "Listing.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

// What stands between name and size, and between size and value.
constexpr std::string_view _SymbolSeparator = " \t ";

// A name as messages show it; a lone colon in the source defines the empty name.
static std::string ShowName(std::string_view name)
{
    return name.empty() ? std::string("the empty name") : ShowField(name);
}

struct SymbolLine {
    std::string_view Name;
    long Value = 0;
};

// Splits one line; returns "" or what is wrong with it. The separators are
// found from the right, so a name may hold anything but a line feed.
static std::string ParseSymbolLine(std::string_view line, SymbolLine& symbol)
{
    if (line.empty()) {
        return "empty line where a symbol should be";
    }
    const std::size_t valueStart = line.rfind(_SymbolSeparator);
    const std::size_t sizeStart = valueStart == std::string_view::npos || valueStart == 0
                                      ? std::string_view::npos
                                      : line.rfind(_SymbolSeparator, valueStart - 1);
    if (sizeStart == std::string_view::npos) {
        return "not a symbol line (name, size and value separated by a blank, a tab and a blank): " + ShowField(line);
    }
    const std::string_view size = line.substr(sizeStart + 3, valueStart - sizeStart - 3);
    const std::string_view value = line.substr(valueStart + 3);
    symbol.Name = line.substr(0, sizeStart);
    if (size != "1" && size != "2") {
        return "size " + ShowField(size) + " of " + ShowName(symbol.Name) + " is not 1 or 2";
    }
    if (!ReadDecimal(value, symbol.Value)) {
        return "value " + ShowField(value) + " of " + ShowName(symbol.Name) + " is not a decimal number";
    }
    if (size == "1" && (symbol.Value < 0 || symbol.Value > 255)) {
        return "value " + ShowField(value) + " of " + ShowName(symbol.Name) + " out of range 0..255 for size 1";
    }
    if (size == "2" && (symbol.Value < -32768 || symbol.Value > 32767)) {
        return "value " + ShowField(value) + " of " + ShowName(symbol.Name) + " out of range -32768..32767 for size 2";
    }
    return {};
}

SymbolTable ReadSymbolFile(std::string_view text, std::string_view fileName, Messages& messages)
{
    SymbolTable symbols;
    // Every definition of each name defined more than once, in file order.
    std::unordered_map<std::string_view, std::vector<std::pair<long, long>>> repeated;

    // Errors by line, so that they come out in the order of the file.
    std::vector<std::pair<long, std::string>> problems;

    std::size_t at = 0;
    long lineNumber = 0;
    for (std::string_view line; TakeLine(text, at, line);) {
        ++lineNumber;
        SymbolLine symbol;
        const std::string problem = ParseSymbolLine(line, symbol);
        if (!problem.empty()) {
            problems.emplace_back(lineNumber, problem);
            continue;
        }
        const auto [entry, added] = symbols.try_emplace(symbol.Name, SymbolValue{symbol.Value, lineNumber, false});
        if (!added) {
            std::vector<std::pair<long, long>>& definitions = repeated[symbol.Name];
            if (definitions.empty()) {
                definitions.emplace_back(entry->second.Value, entry->second.Line);
            }
            definitions.emplace_back(symbol.Value, lineNumber);
            entry->second.Duplicate = true;
        }
    }

    // One error per name, on the line of its newest definition.
    for (const auto& [name, definitions] : repeated) {
        std::string text = ShowName(name) + " is defined more than once:";
        const char* separator = " ";
        for (const auto& [value, definitionLine] : definitions) {
            text += separator + std::to_string(value) + " (line " + std::to_string(definitionLine) + ")";
            separator = ", ";
        }
        problems.emplace_back(definitions.front().second, text);
    }
    std::stable_sort(problems.begin(), problems.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [line, text] : problems) {
        ReportError(messages, fileName, line, text);
    }
    return symbols;
}
