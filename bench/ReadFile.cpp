// The floors of the image builder's cost: reads a file once with a plain
// buffered read loop and discards it, either line by line (fgets into a
// 100-byte buffer, the way the builder takes its lines) or in 64 KiB blocks.
//
//   ReadFile lines|blocks <file>

#include <cstdio>
#include <cstring>

int main(int argc, char* argv[])
{
    if (argc != 3 || (std::strcmp(argv[1], "lines") != 0 && std::strcmp(argv[1], "blocks") != 0)) {
        std::fprintf(stderr, "usage: ReadFile lines|blocks <file>\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[2], "rb");
    if (in == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    unsigned long total = 0;
    if (argv[1][0] == 'l') {
        char line[100];
        while (std::fgets(line, sizeof line, in) != nullptr) {
            total += std::strlen(line);
        }
    } else {
        static char buffer[65536];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
            total += got;
        }
    }
    std::fclose(in);
    return total > 0 ? 0 : 1;
}
