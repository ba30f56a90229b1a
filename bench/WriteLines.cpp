// The floor of pass 1's cost: writes given files back, line by line, with
// one write call per line, exactly as pass 1 must flush every run-log line
// and listing record. All input is read before the first write.
//
//   WriteLines <copy> <target> [<copy> <target> ...]

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char* argv[])
{
    if (argc < 3 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: WriteLines <copy> <target> [<copy> <target> ...]\n");
        return 2;
    }
    // The copies are read whole, each with as few read calls as it takes, so
    // that the floor's own reading costs next to nothing.
    std::vector<std::string> contents;
    for (int i = 1; i < argc; i += 2) {
        const int fd = ::open(argv[i], O_RDONLY);
        struct stat status {};
        if (fd < 0 || ::fstat(fd, &status) != 0) {
            std::perror(argv[i]);
            return 1;
        }
        std::string& text = contents.emplace_back(static_cast<std::size_t>(status.st_size), '\0');
        for (std::size_t got = 0; got < text.size();) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n <= 0) {
                std::perror(argv[i]);
                return 1;
            }
            got += static_cast<std::size_t>(n);
        }
        ::close(fd);
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
            const std::size_t length =
                end != nullptr ? static_cast<std::size_t>(end - text.data()) + 1 - start : text.size() - start;
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
