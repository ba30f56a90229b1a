#include "SourceMap.h"

#include "InstructionSet.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <unordered_set>

namespace {

// Lines of pass 1's run log that the map is built from.
constexpr std::string_view _PassStart = "Starting with Pass 1 on ";
constexpr std::string_view _LineStart = "Read one line from InFile : ";
constexpr std::string_view _PassEnd = "End of Input File reached.";
constexpr std::string_view _MnemonicFound = "Mnemonic Identified: ";
constexpr std::string_view _LabelFound = "Label Found: ";
constexpr std::string_view _NoData = " parse Error: No Data Found";

// The first line of a map file, which names its version.
constexpr std::string_view _MapHeader = "source-map 1";

// What the log says will be written to the listing: one entry per record.
struct LoggedRecord {
    int SourceLine = 0;
    std::string Kind; // the mnemonic, "DB" or "DW"
};

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Takes the next line of text (without its LF) into line; false at the end.
bool TakeLine(std::string_view& text, std::string_view& line)
{
    if (text.empty()) {
        return false;
    }
    const std::size_t end = text.find('\n');
    line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    return true;
}

// The records the log announces, in listing order, and the names it calls
// labels.
void ReadLog(std::string_view logText, std::vector<LoggedRecord>& records, std::unordered_set<std::string>& labels)
{
    bool inPass = false;
    int sourceLine = 0;
    for (std::string_view entry; TakeLine(logText, entry);) {
        if (!inPass) {
            inPass = StartsWith(entry, _PassStart);
        } else if (entry == _PassEnd) {
            break;
        } else if (StartsWith(entry, _LineStart)) {
            ++sourceLine;
        } else if (StartsWith(entry, _MnemonicFound)) {
            records.push_back({sourceLine, std::string(entry.substr(_MnemonicFound.size()))});
        } else if (entry == "DB identified" || entry == "DW identified") {
            records.push_back({sourceLine, std::string(entry.substr(0, 2))});
        } else if (entry.size() == 2 + _NoData.size() && entry.substr(2) == _NoData && !records.empty() &&
                   records.back().SourceLine == sourceLine && records.back().Kind == entry.substr(0, 2)) {
            records.pop_back(); // DB or DW without values writes no record
        } else if (StartsWith(entry, _LabelFound)) {
            labels.emplace(entry.substr(_LabelFound.size()));
        }
    }
}

// Splits a listing line at its blanks: the address first, then the fields.
// Quoted fields may hold blanks; only the first two fields and the count of
// a DB or DW record's values are used, and those hold none.
std::vector<std::string_view> SplitAtBlanks(std::string_view line)
{
    std::vector<std::string_view> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        if (line[at] == ' ') {
            ++at;
            continue;
        }
        const std::size_t end = std::min(line.find(' ', at), line.size());
        fields.push_back(line.substr(at, end - at));
        at = end;
    }
    return fields;
}

bool ReadInteger(std::string_view text, long& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

// The size of an instruction of the 8085 instruction set, or 0 for a
// mnemonic it does not have.
int SizeOfMnemonic(std::string_view mnemonic)
{
    for (int opcode = 0; opcode < 256; ++opcode) {
        const InstructionInfo& info = DescribeOpcode(CpuModel::I8085, static_cast<std::uint8_t>(opcode));
        if (mnemonic == info.Mnemonic) {
            return info.Size;
        }
    }
    return 0;
}

// The source's lines without their line ends (LF, or CR LF).
std::vector<std::string> SplitSource(std::string_view text)
{
    std::vector<std::string> lines;
    for (std::string_view line; TakeLine(text, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
    }
    return lines;
}

// The labels of the symbol file in the order they were defined (the file
// lists the newest first).
std::vector<MappedLabel> ReadLabels(std::string_view symbolText, const std::unordered_set<std::string>& labels)
{
    std::vector<MappedLabel> found;
    for (std::string_view line; TakeLine(symbolText, line);) {
        const std::size_t first = line.find(" \t ");
        const std::size_t second = first == std::string_view::npos ? first : line.find(" \t ", first + 3);
        long size = 0;
        long value = 0;
        if (second == std::string_view::npos || !ReadInteger(line.substr(first + 3, second - first - 3), size) ||
            !ReadInteger(line.substr(second + 3), value)) {
            continue;
        }
        const std::string name(line.substr(0, first));
        if (size == 2 && labels.count(name) > 0) {
            found.push_back({name, static_cast<std::uint16_t>(value & 0xFFFF)});
        }
    }
    std::reverse(found.begin(), found.end());
    return found;
}

// Map file texts: a backslash, a CR and every other control character but
// the tab are escaped, so that each item stays on one line.
std::string Escape(std::string_view text)
{
    std::string escaped;
    AppendVisible(escaped, text, true);
    return escaped;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool Unescape(std::string_view text, std::string& plain)
{
    plain.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            plain += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '\\') {
            plain += '\\';
            ++i;
        } else if (i + 1 < text.size() && text[i + 1] == 'r') {
            plain += '\r';
            ++i;
        } else if (i + 3 < text.size() && text[i + 1] == 'x' && HexDigit(text[i + 2]) >= 0 &&
                   HexDigit(text[i + 3]) >= 0) {
            plain += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
            i += 3;
        } else {
            return false;
        }
    }
    return true;
}

void AppendHex4(std::string& text, std::uint16_t value)
{
    static const char _Hex[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) {
        text += _Hex[(value >> shift) & 0xF];
    }
}

bool ReadHex4(std::string_view text, std::uint16_t& value)
{
    if (text.size() != 4) {
        return false;
    }
    int number = 0;
    for (const char c : text) {
        if (HexDigit(c) < 0) {
            return false;
        }
        number = number * 16 + HexDigit(c);
    }
    value = static_cast<std::uint16_t>(number);
    return true;
}

// Reads one "record" item's fields: listing line, source line, address,
// size, and code or data.
bool ReadRecordItem(std::string_view rest, MappedRecord& record)
{
    const std::vector<std::string_view> fields = SplitAtBlanks(rest);
    long listingLine = 0;
    long sourceLine = 0;
    long size = 0;
    if (fields.size() != 5 || !ReadInteger(fields[0], listingLine) || listingLine < 1 ||
        !ReadInteger(fields[1], sourceLine) || sourceLine < 1 || !ReadHex4(fields[2], record.Address) ||
        !ReadInteger(fields[3], size) || size < 0 || size > 65536 || (fields[4] != "code" && fields[4] != "data")) {
        return false;
    }
    record.ListingLine = static_cast<int>(listingLine);
    record.SourceLine = static_cast<int>(sourceLine);
    record.Size = static_cast<int>(size);
    record.IsData = fields[4] == "data";
    return true;
}

} // namespace

SourceMap BuildSourceMap(std::string_view sourceName, std::string_view sourceText, std::string_view logText,
                         std::string_view listingText, std::string_view symbolText)
{
    SourceMap map;
    map.SourceName = sourceName;
    map.SourceLines = SplitSource(sourceText);

    std::vector<LoggedRecord> logged;
    std::unordered_set<std::string> labels;
    ReadLog(logText, logged, labels);

    int listingLine = 0;
    for (std::string_view line; TakeLine(listingText, line);) {
        const std::size_t index = static_cast<std::size_t>(listingLine++);
        const std::vector<std::string_view> fields = SplitAtBlanks(line);
        long address = 0;
        if (index >= logged.size() || fields.size() < 2 || !ReadInteger(fields[0], address) ||
            fields[1] != logged[index].Kind) {
            break; // the listing and the log part ways: the rest is not mapped
        }
        MappedRecord record;
        record.ListingLine = listingLine;
        record.SourceLine = logged[index].SourceLine;
        record.Address = static_cast<std::uint16_t>(address & 0xFFFF);
        record.IsData = fields[1] == "DB" || fields[1] == "DW";
        const int values = static_cast<int>(fields.size()) - 2;
        record.Size = !record.IsData ? SizeOfMnemonic(fields[1]) : fields[1] == "DB" ? values : 2 * values;
        map.Records.push_back(record);
    }
    map.Labels = ReadLabels(symbolText, labels);
    return map;
}

const MappedRecord* FindRecordOfListingLine(const SourceMap& map, int listingLine)
{
    const auto found = std::lower_bound(map.Records.begin(), map.Records.end(), listingLine,
                                        [](const MappedRecord& record, int line) { return record.ListingLine < line; });
    return found != map.Records.end() && found->ListingLine == listingLine ? &*found : nullptr;
}

const MappedRecord* FindRecordAtAddress(const SourceMap& map, std::uint16_t address)
{
    for (auto record = map.Records.rbegin(); record != map.Records.rend(); ++record) {
        const int offset = (address - record->Address + 0x10000) & 0xFFFF;
        if (offset < record->Size) {
            return &*record;
        }
    }
    return nullptr;
}

int FindSourceLine(const SourceMap& map, std::uint16_t address)
{
    const MappedRecord* record = FindRecordAtAddress(map, address);
    return record ? record->SourceLine : 0;
}

std::string FormatHexAddress(std::uint16_t address)
{
    char text[8];
    std::snprintf(text, sizeof text, address >= 0xA000 ? "0%04XH" : "%04XH", address);
    return text;
}

std::string DescribeAddress(const SourceMap& map, std::uint16_t address, bool byLabel)
{
    std::string text;
    if (byLabel) {
        for (const MappedLabel& label : map.Labels) {
            if (label.Address == address) {
                text = label.Name;
                break;
            }
        }
    }
    if (text.empty())
        text = FormatHexAddress(address);
    const int line = FindSourceLine(map, address);
    if (line != 0)
        text += " (" + map.SourceName + ":" + std::to_string(line) + ")";
    return text;
}

std::string_view FindSourceText(const SourceMap& map, int line)
{
    if (line < 1 || static_cast<std::size_t>(line) > map.SourceLines.size()) {
        return {};
    }
    return map.SourceLines[static_cast<std::size_t>(line) - 1];
}

std::string FormatMapFile(const SourceMap& map)
{
    std::string text(_MapHeader);
    text += "\nsource " + Escape(map.SourceName) + "\n";
    for (const std::string& line : map.SourceLines) {
        text += "text " + Escape(line) + "\n";
    }
    for (const MappedRecord& record : map.Records) {
        text += "record " + std::to_string(record.ListingLine) + " " + std::to_string(record.SourceLine) + " ";
        AppendHex4(text, record.Address);
        text += " " + std::to_string(record.Size) + (record.IsData ? " data\n" : " code\n");
    }
    for (const MappedLabel& label : map.Labels) {
        text += "label ";
        AppendHex4(text, label.Address);
        text += " " + Escape(label.Name) + "\n";
    }
    return text;
}

bool ReadMapFile(std::string_view text, SourceMap& map, std::string& error)
{
    map = SourceMap{};
    std::string_view line;
    if (!TakeLine(text, line) || line != _MapHeader) {
        error = "not a source map: the first line is not \"" + std::string(_MapHeader) + "\"";
        return false;
    }
    int number = 1;
    std::string plain;
    while (TakeLine(text, line)) {
        ++number;
        const std::size_t blank = line.find(' ');
        const std::string_view kind = line.substr(0, blank);
        const std::string_view rest = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
        bool good = true;
        if (kind == "source") {
            good = Unescape(rest, map.SourceName);
        } else if (kind == "text") {
            good = Unescape(rest, plain);
            map.SourceLines.push_back(plain);
        } else if (kind == "record") {
            MappedRecord record;
            good = ReadRecordItem(rest, record) &&
                   (map.Records.empty() || map.Records.back().ListingLine < record.ListingLine);
            map.Records.push_back(record);
        } else if (kind == "label") {
            MappedLabel label;
            const std::size_t space = rest.find(' ');
            good = space != std::string_view::npos && ReadHex4(rest.substr(0, space), label.Address) &&
                   Unescape(rest.substr(space + 1), label.Name);
            map.Labels.push_back(label);
        } // items of other kinds are left for later versions of the format
        if (!good) {
            error = "line " + std::to_string(number) + ": bad " + std::string(kind) + " item";
            map = SourceMap{};
            return false;
        }
    }
    return true;
}

void AppendVisible(std::string& out, std::string_view text, bool backslashes)
{
    static const char _Hex[] = "0123456789ABCDEF";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' && backslashes) {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
            out += "\\x";
            out += _Hex[byte >> 4];
            out += _Hex[byte & 0xF];
        } else {
            out += c;
        }
    }
}
