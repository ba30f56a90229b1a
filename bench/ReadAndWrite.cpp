// The floor of the second pass's cost: reads its inputs once with a plain
// buffered read loop (64 KiB blocks) and writes its outputs line by line
// through a 64 KiB stdio buffer, as a program that formats a line at a time
// would. The output bytes are read from copies of what Pass2 wrote, after
// the inputs.
//
//   ReadAndWrite <input>... -- <copy> <output> [<copy> <output>]...

#include <cstdio>
#include <cstring>
#include <string>

static char _Buffer[65536];
static char _OutputBuffer[65536];

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
        std::setvbuf(out, _OutputBuffer, _IOFBF, sizeof _OutputBuffer);
        for (std::size_t at = 0; at < text.size();) {
            std::size_t end = text.find('\n', at);
            end = end == std::string::npos ? text.size() : end + 1;
            std::fwrite(text.data() + at, 1, end - at, out);
            at = end;
        }
        if (std::fclose(out) != 0) {
            return 1;
        }
    }
    return 0;
}
