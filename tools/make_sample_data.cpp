// Placeholder: every manifest file and the speech package as a short text.
#include <cstdio>
#include <string>
#include "install/payload_limits.h"
static const char *const kFiles[] = {
#define MANIFEST_PROGRESS(position)
#define MANIFEST_ROW(identifier, file, attributes, kind) file,
#include "install/manifest_table.h"
    TOVRA_SPEECH_PACKAGE_FILE,
};
int main(int argc, char **argv)
{
    if (argc != 3) return 2;
    for (const char *name : kFiles) {
        if (std::string(name) == "ChnBmp.bin") continue;
        std::string path = std::string(argv[2]) + "/" + name;
        FILE *f = std::fopen(path.c_str(), "wb");
        if (!f) return 1;
        std::fprintf(f, "sample %s\r\n", name);
        std::fclose(f);
    }
    return 0;
}
