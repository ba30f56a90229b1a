// The check file: a teacher's cases for one exercise, in plain text (the
// format is in docs/formats.md). Reading it is pure: text in, a plain record
// out, so the tests and the page drive it from memory.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Bytes placed from an address on: memory before a run, or expected after it.
struct BytesAt {
    std::uint16_t Address = 0;
    std::vector<std::uint8_t> Bytes;
};

// A register (A B C D E H L, BC DE HL SP PC) or a flag (S Z AC P CY) and its value.
struct NamedValue {
    std::string Name; // upper case, as the tables below spell it
    std::uint16_t Value = 0;
};

// The values IN reads on a port, in order; the last one stays once they run out.
struct PortBytes {
    std::uint8_t Port = 0;
    std::vector<std::uint8_t> Bytes;
};

// An interrupt raised before instruction Step (counted from 1).
struct InterruptAt {
    std::uint64_t Step = 1;
    std::string Source; // as Run8085's --interrupt spells it: TRAP, RST7.5, RST6.5, RST5.5, INTR:n
};

// How a run may end, as a case expects it.
enum class ExpectedStop : std::uint8_t {
    End,   // halt or kit ending (the default)
    Halt,  // HLT with nothing to wake it
    Kit,   // left the program: a jump to where it placed nothing (a trainer kit's monitor)
    Steps, // the step limit: a program meant to run forever
};

struct CheckCase {
    std::string Name;
    int Line = 0; // the line of its "case" statement
    int Points = 1;
    bool Hidden = false;
    // Inputs.
    std::vector<BytesAt> Memory;
    std::vector<NamedValue> Registers;
    std::vector<NamedValue> Flags;
    std::vector<PortBytes> Inputs;
    std::vector<InterruptAt> Interrupts; // ordered by step
    std::string Kit;                     // a kit profile's name, or empty
    // Limits.
    std::uint64_t MaxSteps = 1000000;
    std::uint64_t MaxStates = 0; // 0: none
    // Expectations.
    std::vector<BytesAt> ExpectMemory;
    std::vector<NamedValue> ExpectRegisters;
    std::vector<NamedValue> ExpectFlags;
    std::vector<PortBytes> ExpectOut; // the whole sequence OUT writes to the port
    ExpectedStop Stop = ExpectedStop::End;
    std::optional<std::uint64_t> ExpectStates; // at most this many T-states
};

struct CheckFile {
    std::string Title;
    bool Is8080 = false; // "cpu 8080"; the 8085 otherwise
    std::vector<CheckCase> Cases;
};

// One problem of a check file, on its line.
struct CheckFileError {
    int Line = 0;
    std::string Text;
};

// Reads a check file. Errors holds every problem found (then the record is
// not to be used); a file without a case is one.
CheckFile ReadCheckFile(std::string_view text, std::vector<CheckFileError>& errors);

// The name of an expected stop as the check file spells it.
const char* ExpectedStopName(ExpectedStop stop);

// The points of all cases.
int TotalPoints(const CheckFile& check);
