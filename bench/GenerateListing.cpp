// Writes a large listing and its symbol file for timing the second pass, as
// pass 1 would write them for a long program: every kind of record (every
// addressing form, symbols, expressions, character constants, DB and DW),
// a label on one record in eight, and addresses that go on past FFFFH, so
// that beyond 64 KiB of code the records overlap earlier ones. The listing
// has no error. The same record count always gives the same bytes.
//
//   GenerateListing <records> <filename>     (writes <filename>.pass1 and .sym)

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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

// Instruction records: fields separated by '|', "@" stands for a label, and
// the size the shipped opcode table gives.
struct Template {
    const char* Fields;
    int Size;
};

const Template _Templates[] = {
    {"MOV|A|B", 1}, {"MOV|M|A", 1},  {"MVI|B|5", 2},       {"MVI|A|COUNT+1", 2}, {"LXI|H|@", 3}, {"LXI|SP|0FFFFH", 3},
    {"LDA|@", 3},   {"STA|@+2", 3},  {"LHLD|@", 3},        {"JMP|@", 3},         {"JNZ|@", 3},   {"CALL|@", 3},
    {"CPI|'A", 2},  {"ADI|PORT", 2}, {"RST|7", 1},         {"PUSH|PSW", 1},      {"POP|B", 1},   {"INX|H", 1},
    {"DAD|D", 1},   {"IN|01H", 2},   {"OUT|PORT", 2},      {"RET", 1},           {"NOP", 1},     {"XCHG", 1},
    {"ANI|7FH", 2}, {"DCR|B", 1},    {"SUI|COUNT|-|1", 2}, {"CZ|@-3", 3},
};
constexpr std::uint32_t _TemplateCount = sizeof _Templates / sizeof _Templates[0];

constexpr const char* _Separator = "       ";

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: GenerateListing <records> <filename>\n");
        return 2;
    }
    const long records = std::atol(argv[1]);
    const long labels = (records + 7) / 8;
    const std::string name = argv[2];
    std::FILE* listing = std::fopen((name + ".pass1").c_str(), "wb");
    std::FILE* symbols = std::fopen((name + ".sym").c_str(), "wb");
    if (listing == nullptr || symbols == nullptr) {
        std::perror(name.c_str());
        return 1;
    }
    Random random;
    std::vector<std::int16_t> labelAddresses;
    std::uint16_t counter = 0x2000;
    std::string line;
    for (long index = 0; index < records; ++index) {
        if (index % 8 == 0) {
            labelAddresses.push_back(static_cast<std::int16_t>(counter));
        }
        line = std::to_string(static_cast<std::int16_t>(counter));
        const std::uint32_t kind = random.Next(10);
        if (kind < 8) {
            const Template& instruction = _Templates[random.Next(_TemplateCount)];
            line += _Separator;
            for (const char* c = instruction.Fields; *c != '\0'; ++c) {
                if (*c == '|') {
                    line += _Separator;
                } else if (*c == '@') {
                    line += "L" + std::to_string(random.Next(static_cast<std::uint32_t>(labels)));
                } else {
                    line += *c;
                }
            }
            counter = static_cast<std::uint16_t>(counter + instruction.Size);
        } else {
            const bool words = kind == 9;
            const std::uint32_t count = 1 + random.Next(words ? 4 : 8);
            line += _Separator;
            line += words ? "DW" : "DB";
            for (std::uint32_t i = 0; i < count; ++i) {
                line += _Separator;
                line += std::to_string(words ? static_cast<int>(random.Next(65536)) - 32768
                                             : static_cast<int>(random.Next(256)));
            }
            counter = static_cast<std::uint16_t>(counter + count * (words ? 2 : 1));
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), listing);
    }
    // Newest first, as pass 1 writes them; the two EQU names came first.
    for (long k = static_cast<long>(labelAddresses.size()) - 1; k >= 0; --k) {
        std::fprintf(symbols, "L%ld \t 2 \t %d\n", k, labelAddresses[static_cast<std::size_t>(k)]);
    }
    std::fprintf(symbols, "PORT \t 1 \t 2\nCOUNT \t 1 \t 10\n");
    return std::fclose(listing) == 0 && std::fclose(symbols) == 0 ? 0 : 1;
}
