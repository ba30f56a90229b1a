#include "ProgramPlaces.h"

#include "Cpm.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace {

// The note of a jump to where nothing is placed, by the mnemonic that made it.
struct JumpNote {
    std::string_view Mnemonic; // the first letters of the disassembly
    const char* Verb;          // what the instruction did
    const char* Advice;        // what the user should know
};

constexpr JumpNote _JumpNotes[] = {
    {"RST", "jumped to", "a trainer kit returns to its monitor here"},
    {"CALL", "called", "a trainer kit's monitor may have a routine here; this simulator has none"},
    {"C", "called", "a trainer kit's monitor may have a routine here; this simulator has none"},
    {"RET", "returned to", "the stack held no return address into the program (a PUSH or POP too many?)"},
    {"R", "returned to", "the stack held no return address into the program (a PUSH or POP too many?)"},
    {"PCHL", "jumped to", "HL held no address in the program"},
    {"J", "jumped to", "a trainer kit's monitor may be here; this simulator has none"},
};

const JumpNote& FindJumpNote(const std::string& instruction)
{
    for (const JumpNote& note : _JumpNotes) {
        if (std::string_view(instruction).substr(0, note.Mnemonic.size()) == note.Mnemonic)
            return note;
    }
    return _JumpNotes[std::size(_JumpNotes) - 1];
}

// An address as the source writes it: 4 hexadecimal digits, H, and a
// leading 0 before a letter.
std::string HexAddress(std::uint32_t address)
{
    return FormatHexAddress(static_cast<std::uint16_t>(address));
}

// "2011H (prog.asm:17)", or "2011H" where no record of the map covers the address.
std::string DescribeAddress(const ProgramPlaces& places, std::uint16_t address)
{
    return places.Map ? DescribeAddress(*places.Map, address) : FormatHexAddress(address);
}

// For each byte of memory that a record covers, the index of the last
// record covering it (-1 for none). The records are taken from the last, and
// each byte is marked once: a byte already marked is skipped by following
// NextFree, the next unmarked byte at or after it (a path-halving
// union-find over the 64 KiB, with 65536 the end).
std::vector<int> FindRecordOwners(const SourceMap& map)
{
    std::vector<int> owner(65536, -1);
    std::vector<std::uint32_t> nextFree(65537);
    for (std::uint32_t i = 0; i <= 65536; ++i)
        nextFree[i] = i;
    const auto find = [&](std::uint32_t at) {
        while (nextFree[at] != at) {
            nextFree[at] = nextFree[nextFree[at]];
            at = nextFree[at];
        }
        return at;
    };
    const auto mark = [&](std::uint32_t from, std::uint32_t to, int index) { // bytes from..to-1
        for (std::uint32_t at = find(from); at < to; at = find(at)) {
            owner[at] = index;
            nextFree[at] = at + 1;
        }
    };
    for (std::size_t i = map.Records.size(); i-- > 0;) {
        const MappedRecord& record = map.Records[i];
        const std::uint32_t size = static_cast<std::uint32_t>(std::min(record.Size, 65536));
        const std::uint32_t end = record.Address + size;
        mark(record.Address, std::min<std::uint32_t>(end, 65536), static_cast<int>(i));
        if (end > 65536)
            mark(0, end - 65536, static_cast<int>(i)); // wrapped past FFFFH
    }
    return owner;
}

} // namespace

void AddCpmPlaces(ProgramPlaces& places)
{
    AddPlacedBytes(places, _CpmWarmBoot, 8);
    AddPlacedBytes(places, _CpmBdosEntry, 0x10000 - _CpmBdosEntry);
}

ProgramPlaces FindProgramPlaces(const SourceMap& map)
{
    ProgramPlaces places;
    places.Map = &map;
    const std::vector<int> owner = FindRecordOwners(map);
    for (std::uint32_t address = 0; address < 65536; ++address) {
        if (owner[address] < 0)
            continue;
        places.Placed[address] = 1;
        places.Code[address] = map.Records[static_cast<std::size_t>(owner[address])].IsData ? 0 : 1;
    }
    for (const MappedRecord& record : map.Records) {
        if (record.Size > 0 && record.Address + static_cast<std::uint32_t>(record.Size) > places.End)
            places.End = record.Address + static_cast<std::uint32_t>(record.Size);
    }
    return places;
}

std::string FormatMapDisagreement(const SourceMap& map, const CpuState& cpu)
{
    const std::vector<int> owner = FindRecordOwners(map);
    std::uint64_t count = 0;
    std::string first;
    for (std::size_t i = 0; i < map.Records.size(); ++i) {
        const MappedRecord& record = map.Records[i];
        // Only instructions that no later record overwrites are compared.
        if (record.IsData || record.Size == 0 || owner[record.Address] != static_cast<int>(i))
            continue;
        std::uint8_t bytes[3];
        for (int b = 0; b < 3; ++b)
            bytes[b] = cpu.Memory[static_cast<std::uint16_t>(record.Address + b)];
        // The map's sizes are those of the 8085 instruction set, whichever model runs.
        const int size = DescribeOpcode(CpuModel::I8085, bytes[0]).Size;
        if (size == record.Size)
            continue;
        if (count++ == 0) {
            first = HexAddress(record.Address) + " (";
            AppendVisible(first, map.SourceName);
            first += ":" + std::to_string(record.SourceLine) + ") holds " + FormatInstruction(CpuModel::I8085, bytes) +
                     ", " + std::to_string(size) + (size == 1 ? " byte" : " bytes") + ", where the map has an " +
                     "instruction of " + std::to_string(record.Size) + " bytes";
        }
    }
    if (count == 0)
        return "";
    return "the map does not fit this image, as if it were of another program: " + first +
           (count > 1 ? " (and " + std::to_string(count - 1) + " more)" : "") +
           "; source lines named may be wrong: assemble the program again";
}

void AddPlacedBytes(ProgramPlaces& places, std::uint16_t address, std::uint32_t size)
{
    for (std::uint32_t i = 0; i < size; ++i)
        places.Placed[static_cast<std::uint16_t>(address + i)] = 1;
}

std::string FormatLeftProgramNote(const ProgramPlaces& places, const PlaceFindings& found, const CpuState& cpu)
{
    const std::string target = HexAddress(cpu.PC) + ", where the program placed nothing";
    switch (found.JumpKind) {
    case PlaceFindings::Jump::Start: return "the run starts at " + target + "; give the program's start address";
    case PlaceFindings::Jump::Interrupt:
        return std::string("the interrupt ") + DescribeInterruptSource(cpu.LastInterrupt.Source).Name + " taken at " +
               DescribeAddress(places, found.JumpFrom) + " jumped to " + target +
               "; put its service routine there (ORG " + HexAddress(cpu.PC) + ")";
    case PlaceFindings::Jump::Instruction:
    case PlaceFindings::Jump::None: break;
    }
    const JumpNote& note = FindJumpNote(found.JumpInstruction);
    const bool inside = places.Placed[found.JumpFrom] != 0;
    std::string advice = note.Advice;
    // A return to just after one of the program's HLTs: an interrupt ended
    // the halt, and its service routine returned where the program stops.
    const auto halt = static_cast<std::uint16_t>(cpu.PC - 1);
    if (note.Verb == std::string_view("returned to") && places.Code[halt] && cpu.Memory[halt] == 0x76) // 76H: HLT
        advice = "an interrupt ended the HLT at " + DescribeAddress(places, halt) +
                 " and its service routine returned after it; to stay halted, end with HLT and JMP back to it";
    return found.JumpInstruction + " at " + DescribeAddress(places, found.JumpFrom) +
           (inside ? "" : " (outside the program)") + " " + note.Verb + " " + target + "; " + advice;
}

std::string FormatCodeStoreWarning(const ProgramPlaces& places, const PlaceFindings& found)
{
    if (found.CodeStores == 0)
        return "";
    const std::uint32_t free = (places.End + 0xFFF) / 0x1000 * 0x1000;
    const std::string advice = found.StoreToStack
                                   ? "start the stack elsewhere, e.g. LXI SP, 0FFFFH"
                                   : "put data elsewhere, e.g. after ORG " + HexAddress(free <= 0xF000 ? free : 0xF000);
    return found.StoreInstruction + " at " + DescribeAddress(places, found.StoreFrom) +
           " overwrites the program's own code at " + DescribeAddress(places, found.StoreAt) + "; " + advice;
}

std::string FormatMoreCodeStores(const PlaceFindings& found)
{
    if (found.CodeStores < 2)
        return "";
    const std::uint64_t more = found.CodeStores - 1;
    return std::to_string(more) + (more == 1 ? " more store" : " more stores") +
           " into the program's own code followed (not shown)";
}

std::string FormatPlaceLine(const ProgramPlaces& places, const PlaceFindings& found, const CpuState& cpu)
{
    if (places.Placed[cpu.PC])
        return "place: inside the program at " + DescribeAddress(places, cpu.PC) + "\n";
    // The limit may come right after the last instruction inside.
    const bool fellOff = found.FellOff || places.Placed[found.LastAddress];
    const std::uint16_t from = found.FellOff ? found.FellFrom : found.LastAddress;
    if (fellOff)
        return "place: outside the program; it left after " + DescribeAddress(places, from) +
               ", running on past its end\n";
    return "place: outside the program\n";
}
