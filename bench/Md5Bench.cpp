// Digests one file with FileMd5Hex and prints the digest and the time taken.
#include "support/CodedConversion.h"
#include "support/Md5.h"

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_md5 <file>\n");
        return 2;
    }
    auto start = std::chrono::steady_clock::now();
    std::string hex = FileMd5Hex(CCodedConversion().AnsiToWide(argv[1]));
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s %.6f\n", hex.c_str(), seconds);
    return hex.empty() ? 1 : 0;
}
