// Stands in for the updater in the hand-over tests: writes its arguments after the program name,
// one per line, to the file named by PICTAVO_ARGS_OUT (written beside and renamed, so the file
// appears complete).
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const char* out = std::getenv("PICTAVO_ARGS_OUT");
    if (out == nullptr)
        return 2;
    const std::string temp = std::string(out) + ".part";
    FILE* file = std::fopen(temp.c_str(), "w");
    if (file == nullptr)
        return 1;
    std::fprintf(file, "%d\n", argc - 1);
    for (int i = 1; i < argc; ++i)
        std::fprintf(file, "%s\n", argv[i]);
    std::fclose(file);
    return std::rename(temp.c_str(), out) == 0 ? 0 : 1;
}
