// The floor of the image builder's cost: reads a file once with a plain
// buffered read loop and discards it.
//
//   ReadFile <file>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ReadFile <file>\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (in == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    static char buffer[65536];
    unsigned long total = 0;
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;) {
        total += got;
    }
    std::fclose(in);
    return total > 0 ? 0 : 1;
}
