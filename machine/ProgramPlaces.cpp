#include "ProgramPlaces.h"

#include "Cpm.h"

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
    for (const MappedRecord& record : map.Records) {
        for (int i = 0; i < record.Size; ++i) {
            const auto address = static_cast<std::uint16_t>(record.Address + i);
            places.Placed[address] = 1;
            places.Code[address] = record.IsData ? 0 : 1;
        }
        if (record.Size > 0 && record.Address + static_cast<std::uint32_t>(record.Size) > places.End)
            places.End = record.Address + static_cast<std::uint32_t>(record.Size);
    }
    return places;
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
    return found.JumpInstruction + " at " + DescribeAddress(places, found.JumpFrom) +
           (inside ? "" : " (outside the program)") + " " + note.Verb + " " + target + "; " + note.Advice;
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
