// Writes a machine-code file that fills all 64 KiB of memory several times
// over, sixteen bytes a line, and a register data file, for timing the image
// builder.
//
//   GenerateMachineCode <passes> <machine-code output> <register output>

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: GenerateMachineCode <passes> <machine-code output> <register output>\n");
        return 2;
    }
    const long passes = std::strtol(argv[1], nullptr, 10);
    std::FILE* code = std::fopen(argv[2], "wb");
    std::FILE* registers = std::fopen(argv[3], "wb");
    if (code == nullptr || registers == nullptr) {
        std::perror("fopen");
        return 1;
    }
    for (long pass = 0; pass < passes; ++pass) {
        for (unsigned address = 0; address < 0x10000; address += 16) {
            std::fprintf(code, "%04X", address);
            for (unsigned i = 0; i < 16; ++i) {
                std::fprintf(code, " %02X", (address + i + static_cast<unsigned>(pass)) & 0xFF);
            }
            std::fputc('\n', code);
        }
    }
    std::fputs("18 52 86 0 255 300 -1\n8192 -2\n1 0 7 0 1\n0\n", registers);
    return std::fclose(code) == 0 && std::fclose(registers) == 0 ? 0 : 1;
}
