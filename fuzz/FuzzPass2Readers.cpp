// Fuzz target: the listing and symbol file readers of the second pass, and
// the whole pass over what they read, with the shipped opcode table. The
// input is the symbol file up to its first zero byte and the listing after
// it; an input without a zero byte is both.

#include "Listing.h"
#include "Messages.h"
#include "SecondPass.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

static const std::string& ShippedTable()
{
    static const std::string table = [] {
        std::ifstream in(OPCODE_TABLE_PATH, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }();
    return table;
}

// Every record holds at least one field, none of them empty, at an address
// of 16 bits.
static void CheckRecords(std::string_view listing)
{
    ListingRecord record;
    std::size_t at = 0;
    for (std::string_view line; TakeLine(listing, at, line);) {
        if (!ParseListingLine(line, record).empty()) {
            continue;
        }
        if (record.Fields.empty() || record.Address < 0 || record.Address > 0xFFFF) {
            __builtin_trap();
        }
        for (std::string_view field : record.Fields) {
            if (field.empty()) {
                __builtin_trap();
            }
        }
    }
}

// Every line is an address of four upper-case hexadecimal digits and 1 to 16
// bytes of a blank and two such digits.
static void CheckMachineCode(std::string_view code)
{
    const auto isHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    std::size_t at = 0;
    for (std::string_view line; TakeLine(code, at, line);) {
        if (line.size() < 7 || line.size() > 4 + 3 * 16 || (line.size() - 4) % 3 != 0) {
            __builtin_trap();
        }
        for (std::size_t i = 0; i < line.size(); ++i) {
            const bool blank = i >= 4 && (i - 4) % 3 == 0;
            if (blank ? line[i] != ' ' : !isHex(line[i])) {
                __builtin_trap();
            }
        }
    }
    if (!code.empty() && code.back() != '\n') {
        __builtin_trap();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view symbols = input;
    std::string_view listing = input;
    const std::size_t zero = input.find('\0');
    if (zero != std::string_view::npos) {
        symbols = input.substr(0, zero);
        listing = input.substr(zero + 1);
    }
    CheckRecords(listing);
    Messages messages;
    const std::string code = RunSecondPass(
        {"prog.asm.pass1", listing, "prog.asm.sym", symbols, "etc/opcodes.txt", ShippedTable()}, messages);
    CheckMachineCode(code);
    return 0;
}
