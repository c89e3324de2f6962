// Times what the kernel takes to hand a process fresh memory: SIZE bytes mapped, backed by
// large pages where the system allows (as the program asks for its file's text and its
// records), and written once a page at a time. Prints the seconds taken.
//
//     fresh_memory SIZE

#include <sys/mman.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fresh_memory SIZE\n");
        return 2;
    }
    const std::size_t size = std::strtoull(argv[1], nullptr, 10);
    if (size == 0) {
        std::printf("0.000\n");
        return 0;
    }
    const auto start = std::chrono::steady_clock::now();
    void* memory = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) {
        std::perror("mmap");
        return 1;
    }
    ::madvise(memory, size, MADV_HUGEPAGE);
    auto* bytes = static_cast<volatile char*>(memory);
    for (std::size_t i = 0; i < size; i += 4096)
        bytes[i] = 1;
    const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
    std::printf("%.3f\n", taken.count());
    return 0;
}
