#include "SecondPass.h"

#include "Encoder.h"
#include "Listing.h"
#include "MachineCode.h"
#include "OpcodeSizes.h"
#include "OperandNotes.h"
#include "Placement.h"
#include "SymbolFile.h"

#include <cstdint>
#include <vector>

// Characters of a record that a message quotes after "in".
constexpr std::size_t _ShownRecordLength = 80;

namespace {

// The record's fields joined by blanks, as messages quote it.
std::string ShowRecord(const ListingRecord& record)
{
    std::string text;
    for (std::string_view field : record.Fields) {
        if (!text.empty()) {
            text += ' ';
        }
        text += field;
    }
    return ShowField(text, _ShownRecordLength);
}

// A carriage return in an unquoted field. Pass 1 keeps the one of a CR LF
// source in the last token of a line, so it can end an operand; a mnemonic
// holding one is no mnemonic to pass 1, and DB and DW values are numbers it
// writes itself, so there the listing's own line ends put it.
std::string FindCarriageReturn(const ListingRecord& record)
{
    const bool data = record.Fields[0] == "DB" || record.Fields[0] == "DW";
    for (std::size_t i = 0; i < record.Fields.size(); ++i) {
        const std::string_view field = record.Fields[i];
        if (field[0] != '\'' && field[0] != '"' && field.find('\r') != std::string_view::npos) {
            const char* cause = i == 0 || data ? "the listing has CR LF line ends" : "the source has CR LF line ends";
            return "field " + ShowField(field) + " holds a carriage return (" + cause + ")";
        }
    }
    return {};
}

// Appends an address as four hexadecimal digits and H.
void AppendHexAddress(std::string& text, int address)
{
    static const char _Hex[] = "0123456789ABCDEF";
    const char digits[5] = {_Hex[(address >> 12) & 0xF], _Hex[(address >> 8) & 0xF], _Hex[(address >> 4) & 0xF],
                            _Hex[address & 0xF], 'H'};
    text.append(digits, sizeof digits);
}

// One warning per run of bytes placed already, composed in text (which is
// reused, as most records of a long listing may overlap earlier ones).
void ReportOverlaps(Messages& messages, std::string_view listingName, long line, const std::vector<Overlap>& overlaps,
                    std::string& text)
{
    for (const Overlap& overlap : overlaps) {
        text.clear();
        text += overlap.Count == 1 ? "byte " : "bytes ";
        AppendHexAddress(text, overlap.First);
        if (overlap.Count > 1) {
            text += '-';
            AppendHexAddress(text, (overlap.First + overlap.Count - 1) & 0xFFFF);
        }
        text += overlap.Count == 1 ? " was placed already by " : " were placed already by ";
        if (overlap.EarlierLine == line) {
            text += "this record";
        } else {
            text += "line ";
            text += std::to_string(overlap.EarlierLine);
        }
        text += overlap.Count == 1 ? "; this record's byte replaces it" : "; this record's bytes replace them";
        ReportWarning(messages, listingName, line, text);
    }
}

// The bytes of one record, or "" and nothing when it has an error.
std::string EncodeRecord(const ListingRecord& record, const SymbolTable& symbols, const OpcodeSizes& sizes,
                         const Pass2Input& input, Messages& messages, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    std::string problem = FindCarriageReturn(record);
    if (!problem.empty()) {
        return problem;
    }
    const std::string_view first = record.Fields[0];
    if (first == "DB" || first == "DW") {
        return EncodeData(record.Fields, bytes);
    }
    EncodedInstruction encoded;
    problem = EncodeInstruction(record.Fields, symbols, encoded);
    if (!problem.empty()) {
        return problem;
    }
    if (sizes.Usable) {
        const auto row = sizes.Sizes.find(std::string(first));
        if (row == sizes.Sizes.end()) {
            ReportWarning(messages, input.ListingName, record.Line,
                          ShowField(first) + " is not in " + std::string(input.TableName) +
                              ", so its size is not checked, in " + ShowRecord(record));
        } else if (row->second != encoded.Size) {
            return ShowField(first) + " takes " + std::to_string(encoded.Size) + " bytes, but " +
                   std::string(input.TableName) + " gives it " + std::to_string(row->second);
        }
    }
    bytes.assign(encoded.Bytes, encoded.Bytes + encoded.Size);
    return {};
}

} // namespace

std::string RunSecondPass(const Pass2Input& input, Messages& messages)
{
    const OpcodeSizes sizes =
        input.TableText ? ReadOpcodeSizes(*input.TableText, input.TableName, messages) : OpcodeSizes{};
    const SymbolTable symbols = ReadSymbolFile(input.SymbolText, input.SymbolFileName, messages);

    Placement placement;
    MachineCodeText code;
    ListingRecord record;
    std::vector<std::uint8_t> bytes;
    std::vector<Overlap> overlaps;
    std::string warning;
    std::size_t at = 0;
    long lineNumber = 0;
    for (std::string_view line; TakeLine(input.ListingText, at, line);) {
        record.Line = ++lineNumber;
        std::string problem = ParseListingLine(line, record);
        if (problem.empty()) {
            const std::string written = ShowRecord(record);
            const std::string glued = CutGluedComment(record);
            if (!glued.empty()) {
                ReportWarning(messages, input.ListingName, lineNumber, glued + " in " + written);
            }
            problem = EncodeRecord(record, symbols, sizes, input, messages, bytes);
            if (!problem.empty()) {
                ReportError(messages, input.ListingName, lineNumber, problem + " in " + ShowRecord(record));
                const std::string note = AdviseOnHexadecimal(record, symbols);
                if (!note.empty()) {
                    ReportNote(messages, input.ListingName, lineNumber, note);
                }
                continue;
            }
            const std::string decimal = CheckDecimalAddress(record);
            if (!decimal.empty()) {
                ReportWarning(messages, input.ListingName, lineNumber, decimal + " in " + ShowRecord(record));
            }
        }
        if (!problem.empty()) {
            ReportError(messages, input.ListingName, lineNumber, problem);
            continue;
        }
        PlaceBytes(placement, record.Address, static_cast<int>(bytes.size()), lineNumber, overlaps);
        ReportOverlaps(messages, input.ListingName, lineNumber, overlaps, warning);
        AppendMachineCode(code, record.Address, bytes.data(), bytes.size());
    }
    FinishMachineCode(code);
    return std::move(code.Text);
}
