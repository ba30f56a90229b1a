// Writes a class's worth of submissions for one exercise (the sum of an
// array) and a check file of ten cases for timing Check8085. The mix is a
// real class's: most right in their own words (labels, registers, comments
// and layout vary), some wrong, some not assembling, a few endless. The same
// count always gives the same files.
//
//   GenerateSubmissions <count> <folder>   (writes <folder>/lab.check and <folder>/subs/*.asm)

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

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

const char* const _Counters[] = {"B", "C"};
const char* const _Labels[] = {"NEXT", "LOOP", "AGAIN", "L1", "SUMUP", "ADDIT"};

std::string Right(Random& random, int n)
{
    const std::string count = _Counters[random.Next(2)];
    const std::string loop = _Labels[random.Next(6)] + std::to_string(n % 7);
    const std::string tab = random.Next(2) ? "\t" : "        ";
    return "; sum of an array, submission " + std::to_string(n) + "\n" + tab + "ORG 2000H\n" + tab +
           "LXI H, 2050H\n" + tab + "MOV " + count + ", M\n" + tab + "LXI D, 0\n" + tab + "MOV A, " + count +
           "\n" + tab + "ORA A\n" + tab + "JZ DONE\n" + loop + ":\tINX H\n" + tab + "MOV A, E\n" + tab +
           "ADD M   ; add the next byte\n" + tab + "MOV E, A\n" + tab + "MVI A, 0\n" + tab + "ADC D\n" + tab +
           "MOV D, A\n" + tab + "DCR " + count + "\n" + tab + "JNZ " + loop + "\nDONE:\tXCHG\n" + tab +
           "SHLD 2070H\n" + tab + "HLT\n";
}

const char* const _NoCarry = "\tORG 2000H\n\tLXI H, 2050H\n\tMOV C, M\n\tXRA A\n\tORA C\n\tJZ STORE\n\tXRA A\n"
                             "LOOP:\tINX H\n\tADD M\n\tDCR C\n\tJNZ LOOP\nSTORE:\tSTA 2070H\n\tXRA A\n"
                             "\tSTA 2071H\n\tHLT\n";
const char* const _Typo = "\tORG 2000H\n\tLXI H, 2050H\n\tMOVE C, M\n\tHLT\n";
const char* const _Endless = "\tORG 2000H\n\tLXI H, 2050H\n\tMOV C, M\nNEXT:\tINX H\n\tADD M\n\tJNC NEXT\n"
                             "\tDCR C\n\tJNZ NEXT\n\tHLT\n";
const char* const _HardCoded = "\tORG 2000H\n\tMVI A, 0FH\n\tSTA 2070H\n\tXRA A\n\tSTA 2071H\n\tHLT\n";

bool Write(const std::filesystem::path& path, const std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

std::string CheckFile(Random& random)
{
    std::string text = "title Sum of an array (benchmark)\nsteps 100000\n";
    for (int c = 0; c < 10; ++c) {
        const int count = c == 0 ? 5 : static_cast<int>(random.Next(60));
        std::string bytes;
        unsigned sum = 0;
        for (int i = 0; i < count; ++i) {
            const unsigned value = c == 0 ? static_cast<unsigned>(i + 1) : random.Next(256);
            sum += value;
            bytes += " " + std::to_string(value);
        }
        text += "case " + std::to_string(count) + " bytes\n  points 1\n" + (c >= 5 ? "  hidden\n" : "") +
                "  memory 2050H: " + std::to_string(count) + bytes + "\n  expect memory 2070H: " +
                std::to_string(sum & 0xFF) + " " + std::to_string(sum >> 8) + "\n";
    }
    return text;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: GenerateSubmissions <count> <folder>\n");
        return 2;
    }
    const int count = std::atoi(argv[1]);
    const std::filesystem::path folder = argv[2];
    std::filesystem::create_directories(folder / "subs");
    Random random;
    bool ok = Write(folder / "lab.check", CheckFile(random));
    for (int n = 0; n < count && ok; ++n) {
        const std::uint32_t kind = random.Next(100);
        std::string text;
        if (kind < 75)
            text = Right(random, n);
        else if (kind < 85)
            text = _NoCarry;
        else if (kind < 92)
            text = _Typo;
        else if (kind < 96)
            text = _HardCoded;
        else
            text = _Endless;
        char name[32];
        std::snprintf(name, sizeof name, "s%04d.asm", n);
        ok = Write(folder / "subs" / name, text);
    }
    if (!ok) {
        std::fprintf(stderr, "GenerateSubmissions: cannot write into %s\n", argv[2]);
        return 1;
    }
    return 0;
}
