// Writes the generated measurement program to a file (or standard output).
#include "BasicProgram.h"

#include <cstdio>

int main(int argc, char** argv) {
    const std::string program = tessel::bench::MakeBasicProgram();
    std::FILE* out = argc > 1 ? std::fopen(argv[1], "wb") : stdout;
    if (!out || std::fwrite(program.data(), 1, program.size(), out) != program.size()) {
        std::perror(argc > 1 ? argv[1] : "stdout");
        return 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
