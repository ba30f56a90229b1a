// Writes a large, realistic assembly source for timing pass 1: comments,
// blank lines, labels, every mnemonic of the shipped table, DB, DW, EQU and
// ORG statements, long quoted operands, and some CR LF line ends. The same
// line count always gives the same bytes. With --no-symbols, labels and EQU
// lines give way to plain instructions, so that the symbol list stays empty.
//
//   GenerateSource <lines> <output> [--no-symbols]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// A small deterministic pseudo-random sequence.
struct Random {
    std::uint64_t State = 0x9E3779B97F4A7C15ull;
    std::uint32_t Next(std::uint32_t bound)
    {
        State ^= State << 13;
        State ^= State >> 7;
        State ^= State << 17;
        return static_cast<std::uint32_t>(State % bound);
    }
};

const char* const _Mnemonics[] = {
    "MOV A, B",   "MVI B, 05H", "LXI H, TABLE", "LDA 2100H", "STA COUNT", "LHLD PTR",  "SHLD PTR",  "LDAX B",
    "STAX D",     "XCHG",       "ADD C",        "ADI 10",    "ADC D",     "ACI 1",     "SUB E",     "SUI 0FH",
    "SBB H",      "SBI 2",      "INR A",        "DCR B",     "INX H",     "DCX SP",    "DAD D",     "DAA",
    "ANA L",      "ANI 7FH",    "XRA A",        "XRI 80H",   "ORA M",     "ORI 1",     "CMP B",     "CPI 'A'",
    "RLC",        "RRC",        "RAL",          "RAR",       "CMA",       "CMC",       "STC",       "JMP LOOP",
    "JNZ LOOP",   "JZ DONE",    "JNC NEXT",     "JC NEXT",   "JPO ODD",   "JPE EVEN",  "JP POS",    "JM NEG",
    "CALL PRINT", "CNZ PRINT",  "CZ PRINT",     "CNC PRINT", "CC PRINT",  "CPO PRINT", "CPE PRINT", "CP PRINT",
    "CM PRINT",   "RET",        "RNZ",          "RZ",        "RNC",       "RC",        "RPO",       "RPE",
    "RP",         "RM",         "RST 1",        "PCHL",      "PUSH PSW",  "POP B",     "XTHL",      "SPHL",
    "IN 01H",     "OUT 02H",    "EI",           "DI",        "HLT",       "NOP",       "RIM",       "SIM",
};
constexpr std::uint32_t _MnemonicCount = sizeof _Mnemonics / sizeof _Mnemonics[0];

// One source line, without its line end.
std::string MakeLine(Random& random, std::uint64_t index, bool symbols)
{
    const std::uint32_t kind = random.Next(100);
    const bool definesSymbol = (kind >= 16 && kind < 30) || (kind >= 80 && kind < 85) || (kind >= 92 && kind < 97);
    if (!symbols && definesSymbol) {
        return std::string("        ") + _Mnemonics[random.Next(_MnemonicCount)];
    }
    const std::string label = "L" + std::to_string(index) + ":";
    const std::string instruction = _Mnemonics[random.Next(_MnemonicCount)];
    if (kind < 12) {
        return "; step " + std::to_string(index) + ": move the next value into place";
    }
    if (kind < 16) {
        return "";
    }
    if (kind < 30) {
        return label + "\t" + instruction + "\t; labelled";
    }
    if (kind < 72) {
        return "        " + instruction;
    }
    if (kind < 80) {
        return "        DB 1, 0FFH, 300, -1, 'A', 10";
    }
    if (kind < 85) {
        return "MSG" + std::to_string(index) + ": DB 'A long message, with commas; and a semicolon', 0DH, 0AH";
    }
    if (kind < 92) {
        return "        DW 1234H, FFFFH, 8000H, " + std::to_string(index % 65536);
    }
    if (kind < 97) {
        return "K" + std::to_string(index) + "     EQU " + std::to_string(index % 1000);
    }
    if (kind < 99) {
        return "        ORG 2000H";
    }
    return "        MOV A, B    ! a comment that runs on for quite a while after the statement itself";
}

} // namespace

int main(int argc, char* argv[])
{
    const bool symbols = !(argc == 4 && std::string(argv[3]) == "--no-symbols");
    if (argc != 3 && symbols) {
        std::fprintf(stderr, "usage: GenerateSource <lines> <output> [--no-symbols]\n");
        return 2;
    }
    const std::uint64_t lines = std::strtoull(argv[1], nullptr, 10);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    Random random;
    for (std::uint64_t i = 0; i < lines; ++i) {
        const std::string line = MakeLine(random, i, symbols);
        std::fputs(line.c_str(), out);
        std::fputs(random.Next(10) == 0 ? "\r\n" : "\n", out);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
