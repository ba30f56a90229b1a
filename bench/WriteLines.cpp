// The floor of pass 1's cost: writes given files back, line by line, with
// one write call per line, exactly as pass 1 must flush every run-log line
// and listing record. All input is read before the first write.
//
//   WriteLines <copy> <target> [<copy> <target> ...]

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[])
{
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: WriteLines <copy> <target> [<copy> <target> ...]\n");
        return 2;
    }
    std::vector<std::string> contents;
    for (int i = 1; i < argc; i += 2) {
        std::ifstream in(argv[i], std::ios::binary);
        contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (int i = 1; i < argc; i += 2) {
        const int fd = ::open(argv[i + 1], O_WRONLY | O_CREAT | O_TRUNC, 0664);
        if (fd < 0) {
            std::perror(argv[i + 1]);
            return 1;
        }
        const std::string& text = contents[static_cast<std::size_t>(i / 2)];
        std::size_t start = 0;
        while (start < text.size()) {
            const char* end = static_cast<const char*>(std::memchr(text.data() + start, '\n', text.size() - start));
            const std::size_t length = end != nullptr ? static_cast<std::size_t>(end - text.data()) + 1 - start
                                                      : text.size() - start;
            if (::write(fd, text.data() + start, length) != static_cast<ssize_t>(length)) {
                std::perror("write");
                return 1;
            }
            start += length;
        }
        ::close(fd);
    }
    return 0;
}
