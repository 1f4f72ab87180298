// The floor of a picture series: COUNT files of SIZE bytes written into FOLDER from one
// prepared buffer, each as the series writes a picture (open, write, close, rename), and
// nothing else. Prints the seconds it took.
//   korvane_write_floor SIZE COUNT FOLDER

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fputs("usage: korvane_write_floor SIZE COUNT FOLDER\n", stderr);
        return 2;
    }
    const std::size_t size = std::strtoull(argv[1], nullptr, 10);
    const int count = std::atoi(argv[2]);
    const std::string folder = argv[3];
    std::vector<char> buffer(size, '\x5a');
    const auto start = std::chrono::steady_clock::now();
    for (int i = 1; i <= count; ++i) {
        const std::string name = folder + "/floor" + std::to_string(i) + ".bmp";
        const std::string temporary = folder + "/.floor" + std::to_string(i) + ".part";
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || write(fd, buffer.data(), size) != static_cast<ssize_t>(size) ||
            close(fd) != 0 || rename(temporary.c_str(), name.c_str()) != 0) {
            std::perror(name.c_str());
            return 1;
        }
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.4f\n", took.count());
    return 0;
}
