// The floor of the second pass's cost: reads its inputs once with a plain
// buffered read loop (64 KiB blocks) and writes its outputs with buffered
// writes. The output bytes are read from copies of what Pass2 wrote, after
// the inputs.
//
//   ReadAndWrite <input>... -- <copy> <output> [<copy> <output>]...

#include <cstdio>
#include <cstring>
#include <string>

static char _Buffer[65536];

// Bytes handed to stdio per call: a full line of machine code.
constexpr std::size_t _PieceSize = 52;

// Reads the whole file, appending it to text when text is not null.
static bool ReadAll(const char* path, std::string* text)
{
    std::FILE* in = std::fopen(path, "rb");
    if (in == nullptr) {
        std::perror(path);
        return false;
    }
    for (std::size_t got; (got = std::fread(_Buffer, 1, sizeof _Buffer, in)) > 0;) {
        if (text != nullptr) {
            text->append(_Buffer, got);
        }
    }
    std::fclose(in);
    return true;
}

int main(int argc, char* argv[])
{
    int i = 1;
    for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (!ReadAll(argv[i], nullptr)) {
            return 1;
        }
    }
    if (i == argc || (argc - i - 1) % 2 != 0) {
        std::fprintf(stderr, "usage: ReadAndWrite <input>... -- <copy> <output> [<copy> <output>]...\n");
        return 2;
    }
    for (++i; i < argc; i += 2) {
        std::string text;
        if (!ReadAll(argv[i], &text)) {
            return 1;
        }
        std::FILE* out = std::fopen(argv[i + 1], "wb");
        if (out == nullptr) {
            std::perror(argv[i + 1]);
            return 1;
        }
        // Handed over in pieces of a line's size, as a program that formats
        // line by line does, through stdio's buffer.
        for (std::size_t at = 0; at < text.size(); at += _PieceSize) {
            std::fwrite(text.data() + at, 1, text.size() - at < _PieceSize ? text.size() - at : _PieceSize, out);
        }
        if (std::fclose(out) != 0) {
            return 1;
        }
    }
    return 0;
}
