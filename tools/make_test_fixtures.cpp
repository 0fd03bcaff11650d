// Host-side maker of the test suites' fixture files: the payloads that the payload test
// unpacks and the agreements that the wizard tests show, each written under its own name
// into OUT_DIR, to be packed by pack-payload like the real ones.
//
//   make-test-fixtures OUT_DIR NAME...
//
// Each fixture is made from a rule, not the clock or the machine, so two runs give the
// same bytes.
#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string Repeated(const std::string &text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// 600 numbered lines, to scroll through.
std::string SixHundredLines()
{
    std::string out;
    char line[32];
    for (int number = 1; number <= 600; ++number) {
        std::snprintf(line, sizeof line, "Agreement line %03d\r\n", number);
        out += line;
    }
    return out;
}

// 511 lines of 128 bytes and 127 bytes without a line end: 65,535 bytes, the most that
// leaves room for the terminator in an agreement's buffer.
std::string LargestAgreement()
{
    return Repeated(std::string(126, 'a') + "\r\n", 511) + std::string(127, 'z');
}

struct Fixture {
    const char *name;
    std::string (*make)();
};

const Fixture kFixtures[] = {
    {"exact.bin", [] { return Repeated("0123456789abcdef", 256); }},  // 4,096 bytes
    {"empty.bin", [] { return std::string(); }},
    {"text.bin", [] { return std::string("Tovra sample payload\r\n"); }},
    {"corrupt.z", [] { return std::string("this is no zlib stream at all"); }},
    {"agreement_600_lines.txt", SixHundredLines},
    {"agreement_65535.txt", LargestAgreement},
    // One byte more than an agreement may have.
    {"agreement_65536.txt", [] { return Repeated("0123456789abcdef", 4096); }},
};

bool WriteFixture(const std::string &path, const std::string &bytes)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: make-test-fixtures OUT_DIR NAME...\n");
        return 2;
    }
    int failed = 0;
    for (int i = 2; i < argc; ++i) {
        const Fixture *found = nullptr;
        for (const Fixture &fixture : kFixtures)
            if (std::strcmp(fixture.name, argv[i]) == 0)
                found = &fixture;
        if (!found) {
            std::fprintf(stderr, "make-test-fixtures: no fixture %s\n", argv[i]);
            ++failed;
        } else if (!WriteFixture(std::string(argv[1]) + "/" + argv[i], found->make())) {
            std::fprintf(stderr, "make-test-fixtures: %s/%s: cannot write\n", argv[1], argv[i]);
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
