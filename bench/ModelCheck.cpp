// Builds the model of a BASIC file and counts its problems: what a check of
// the file costs, for measuring it with callgrind beside tessel-cli (run it
// on an empty file too: the difference is the model's).

#include "model/ProgramModel.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: model-check FILE\n");
        return 2;
    }
    std::FILE* in = std::fopen(argv[1], "rb");
    if (!in) {
        std::perror(argv[1]);
        return 1;
    }
    std::string text(65536, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), in));
    std::fclose(in);
    tessel::ProgramModel model;
    model.Build(text);
    std::printf("%zu lines, %zu references, %zu problems\n", model.LineCount(),
                model.References().size(), model.Problems().size());
    return 0;
}
