// Host-side generator of the project's own sample product data: every file of the install
// manifest except the glyph atlas (make-atlas writes that), each under its manifest name in
// OUT_DIR. The speech-module package is a real installer package, made by make-speech-package.
//
//   make-sample-data SOURCES_DIR OUT_DIR
//
// Texts, settings files and help pages come from the UTF-8 sources in SOURCES_DIR and leave
// here in the code page their reader expects (GBK; Big5 for the _b5 pages), with CR LF line
// ends. Every other file is a stand-in described by one row of SOURCES_DIR/stand-ins.txt:
// nothing reads these files but the install run, which copies them, so only their size,
// their first bytes and how well they pack matter. Nothing depends on the clock or the
// machine, so two runs give the same bytes.
#include <fnmatch.h>
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char *const kManifestFiles[] = {
#define MANIFEST_PROGRESS(position)
#define MANIFEST_ROW(identifier, file, attributes, kind) file,
#include "install/manifest_table.def"
#undef MANIFEST_PROGRESS
#undef MANIFEST_ROW
};

const char kAtlasFile[] = "ChnBmp.bin";
const char kStandInTable[] = "stand-ins.txt";

std::string gSourceDir;
std::string gFailure; // the reason the current file could not be made

bool Fail(const std::string &reason)
{
    gFailure = reason;
    return false;
}

// Sources and code pages

bool ReadSource(const std::string &name, std::string *text)
{
    std::ifstream file(gSourceDir + "/" + name, std::ios::binary);
    std::ostringstream bytes;
    if (!(bytes << file.rdbuf()))
        return Fail("cannot read " + gSourceDir + "/" + name);
    *text = bytes.str();
    return true;
}

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The lines of a source without its "#" comments and empty lines.
bool ReadSourceLines(const std::string &name, std::vector<std::string> *lines)
{
    std::string text;
    if (!ReadSource(name, &text))
        return false;
    lines->clear();
    for (const std::string &line : SplitLines(text))
        if (!line.empty() && line[0] != '#')
            lines->push_back(line);
    return true;
}

std::string ReplaceAll(std::string text, const std::string &from, const std::string &to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Every line end becomes CR LF, whatever the source had, and the last line gets one too:
// the agreement page drops the text after the last CR.
std::string WithCrLf(const std::string &text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r')
            continue;
        if (c == '\n')
            out += '\r';
        out += c;
    }
    if (!out.empty() && out.back() != '\n')
        out += "\r\n";
    return out;
}

// Converts the whole text through glibc's iconv or fails, naming the first character that
// has no place in `to`.
bool Convert(const char *to, const std::string &utf8, std::string *out)
{
    iconv_t converter = iconv_open(to, "UTF-8");
    if (converter == iconv_t(-1))
        return Fail(std::string("no converter from UTF-8 to ") + to);
    std::vector<char> input(utf8.begin(), utf8.end()), output(utf8.size() * 4 + 16);
    char *inPointer = input.data(), *outPointer = output.data();
    size_t inLeft = input.size(), outLeft = output.size();
    bool ok = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != size_t(-1);
    iconv_close(converter);
    if (!ok) {
        size_t at = static_cast<size_t>(inPointer - input.data());
        return Fail("\"" + utf8.substr(at, std::strcspn(utf8.c_str() + at, "\n")).substr(0, 12) +
                    "\" has no place in " + to);
    }
    out->assign(output.data(), outPointer);
    return true;
}

// Simplified to traditional by the pairs of hant.txt ("简=簡"), the longest match first.
std::vector<std::pair<std::string, std::string>> gTraditional;

bool LoadTraditional()
{
    std::vector<std::string> lines;
    if (!ReadSourceLines("hant.txt", &lines))
        return false;
    for (const std::string &line : lines) {
        std::istringstream words(line);
        for (std::string pair; words >> pair;) {
            size_t equals = pair.find('=');
            if (equals == std::string::npos || equals == 0)
                return Fail("hant.txt: \"" + pair + "\" is not simplified=traditional");
            gTraditional.push_back({pair.substr(0, equals), pair.substr(equals + 1)});
        }
    }
    std::stable_sort(gTraditional.begin(), gTraditional.end(),
                     [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
    return true;
}

std::string ToTraditional(const std::string &text)
{
    std::string out;
    for (size_t at = 0; at < text.size();) {
        size_t taken = 0;
        for (const std::pair<std::string, std::string> &pair : gTraditional)
            if (text.compare(at, pair.first.size(), pair.first) == 0) {
                out += pair.second;
                taken = pair.first.size();
                break;
            }
        if (!taken) {
            unsigned char lead = static_cast<unsigned char>(text[at]);
            taken = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            out += text.substr(at, taken);
        }
        at += taken;
    }
    return out;
}

// Texts, settings files and help pages

enum Language { kSimplified, kTraditional, kEnglish, kUtf8 };

// A text or settings file from the source of the same name. English texts stay plain
// ASCII, so they read the same in every code page.
bool MakeText(Language language, const std::string &fileName, std::string *out)
{
    std::string text;
    if (!ReadSource(fileName, &text))
        return false;
    *out = WithCrLf(text);
    return language == kUtf8 || Convert(language == kEnglish ? "ASCII" : "GBK", WithCrLf(text), out);
}

// A help page's source holds a simplified-Chinese section ("@zh title") and an English one
// ("@en title"); the traditional page is the simplified one converted.
bool PageSection(const std::string &source, const char *marker, std::string *title, std::string *body)
{
    bool inside = false;
    for (const std::string &line : SplitLines(source)) {
        if (!line.empty() && line[0] == '@') {
            if (inside)
                return true;
            if (line.compare(0, std::strlen(marker), marker) == 0) {
                inside = true;
                *title = line.substr(std::strlen(marker));
            }
        } else if (inside) {
            *body += line + "\n";
        }
    }
    return inside;
}

std::string PageHtml(const std::string &title, const std::string &body, const char *charset, const std::string &footer)
{
    return std::string("<html>\n<head>\n") +
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=" + charset + "\">\n" +
           "<title>" + title + "</title>\n" +
           "<style type=\"text/css\">\n"
           "body { font-size: 10pt; margin: 12px; background: #ffffff; }\n"
           "h1 { font-size: 14pt; color: #1f4e8c; }\n"
           "h2 { font-size: 11pt; color: #1f4e8c; margin-top: 16px; }\n"
           "table { border-collapse: collapse; }\n"
           "p.foot { font-size: 8pt; color: #808080; }\n"
           "</style>\n</head>\n<body>\n" +
           "<h1>" + title + "</h1>\n" + body + "<hr>\n<p class=\"foot\">" + footer + "</p>\n</body>\n</html>\n";
}

// The page of pages/<stem>.txt; "{L}" in a link becomes the language's file-name suffix.
bool MakePage(Language language, const std::string &stem, std::string *out)
{
    std::string source, title, body;
    if (!ReadSource("pages/" + stem + ".txt", &source))
        return false;
    if (!PageSection(source, language == kEnglish ? "@en " : "@zh ", &title, &body))
        return Fail("pages/" + stem + ".txt has no section for this language");
    const char *suffix[] = {"", "_b5", "_en"};
    body = ReplaceAll(body, "{L}", suffix[language]);
    const char *owner = "拓沃软件有限公司 版权所有";
    switch (language) {
    case kSimplified:
        return Convert("GBK", WithCrLf(PageHtml(title, body, "gb2312", owner)), out);
    case kTraditional:
        return Convert("CP950", WithCrLf(ToTraditional(PageHtml(title, body, "big5", owner))), out);
    default:
        return Convert("ASCII", WithCrLf(PageHtml(title, body, "iso-8859-1", "Copyright Tovra Software Ltd.")), out);
    }
}

// Specific names first; the first match wins. A page rule's ending follows the page's stem.
struct TextRule {
    const char *pattern;
    Language language;
    const char *pageEnding; // nullptr: a text from the source of the same name
};

const TextRule kTextRules[] = {
    {"hanying_utf8.txt", kUtf8, nullptr},       {"*_en.txt", kEnglish, nullptr},
    {"*_en.ini", kEnglish, nullptr},            {"*.txt", kSimplified, nullptr},
    {"*.ini", kSimplified, nullptr},            {"*_en_us.htm", kEnglish, "_en_us.htm"},
    {"*_zh_cn.htm", kSimplified, "_zh_cn.htm"}, {"*_en.htm", kEnglish, "_en.htm"},
    {"*_b5.htm", kTraditional, "_b5.htm"},      {"*.htm", kSimplified, ".htm"},
};

// -1 when no rule makes this file, else whether the rule made it.
int MakeFromSource(const std::string &fileName, std::string *out)
{
    for (const TextRule &rule : kTextRules) {
        if (fnmatch(rule.pattern, fileName.c_str(), 0) != 0)
            continue;
        if (!rule.pageEnding)
            return MakeText(rule.language, fileName, out);
        return MakePage(rule.language, fileName.substr(0, fileName.size() - std::strlen(rule.pageEnding)), out);
    }
    return -1;
}

// Stand-ins: "name bytes seed leading-hex table-percent", one a line

struct StandIn {
    size_t bytes;
    uint64_t seed;
    std::string leading;
    double tablePercent;
};

std::map<std::string, StandIn> gStandIns;

bool ParseHex(const std::string &hex, std::string *bytes)
{
    for (size_t at = 0; at < hex.size(); at += 2)
        *bytes += static_cast<char>(std::strtoul(hex.substr(at, 2).c_str(), nullptr, 16));
    return hex.size() % 2 == 0 && hex.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

bool LoadStandIns()
{
    std::vector<std::string> lines;
    if (!ReadSourceLines(kStandInTable, &lines))
        return false;
    for (const std::string &line : lines) {
        std::istringstream fields(line);
        std::string name, hex;
        StandIn row;
        if (!(fields >> name >> row.bytes >> row.seed >> hex >> row.tablePercent) || !ParseHex(hex, &row.leading) ||
            row.leading.size() > row.bytes || row.tablePercent < 0 || row.tablePercent > 100)
            return Fail(std::string(kStandInTable) + ": \"" + line + "\" is not name, bytes, seed, hex, percent");
        if (!gStandIns.insert({name, row}).second)
            return Fail(std::string(kStandInTable) + ": " + name + " twice");
    }
    return true;
}

// xorshift64*: the same numbers from every compiler and library.
uint64_t NextRandom(uint64_t *state)
{
    *state ^= *state >> 12;
    *state ^= *state << 25;
    *state ^= *state >> 27;
    return *state * 0x2545F4914F6CDD1Dull;
}

// After the leading bytes, every block of 4 KiB starts with the row's share of table-like
// bytes, loose bytes and words of a vocabulary of the seed's, which zlib packs by about
// half and inflates about as slowly as the real tables; a 16-byte pattern of the seed's
// repeats after them and packs to almost nothing. So the payload packs to about the size
// the real files do, and inflating it is about as much work.
void FillStandIn(const StandIn &row, std::string *out)
{
    const size_t kBlock = 4096;
    uint64_t state = row.seed * 0x9E3779B97F4A7C15ull | 1;
    char pattern[16];
    for (char &byte : pattern)
        byte = static_cast<char>(NextRandom(&state) >> 56);
    std::vector<std::string> words(1024);
    for (std::string &word : words)
        for (size_t length = 2 + NextRandom(&state) % 8; word.size() < length;)
            word += static_cast<char>(NextRandom(&state) >> 56);
    const size_t tableBytes = static_cast<size_t>(kBlock * row.tablePercent / 100 + 0.5);
    *out = row.leading;
    while (out->size() < row.bytes) {
        const size_t start = out->size(), block = std::min(kBlock, row.bytes - start);
        for (uint64_t x; out->size() - start < std::min(tableBytes, block);)
            *out += (x = NextRandom(&state)) >> 60 < 7 ? std::string(1, static_cast<char>(x >> 40)) : words[x >> 50 & 1023];
        out->resize(std::min(out->size(), start + block));
        for (size_t at = out->size() - start; at < block; ++at)
            *out += pattern[at % 16];
    }
}

// Leaves a file that already has these bytes alone, so that the packer's time check does
// not repack what did not change.
bool WriteOutput(const std::string &path, const std::string &bytes)
{
    std::ifstream old(path, std::ios::binary);
    std::ostringstream oldBytes;
    if (old && oldBytes << old.rdbuf() && oldBytes.str() == bytes)
        return true;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    return file << bytes && file.flush() ? true : Fail("cannot write " + path);
}

bool MakeNamed(const std::string &fileName, std::string *out)
{
    int made = MakeFromSource(fileName, out);
    if (made >= 0)
        return made != 0;
    std::map<std::string, StandIn>::const_iterator row = gStandIns.find(fileName);
    if (row == gStandIns.end())
        return Fail(std::string("neither a source nor a row of ") + kStandInTable + " makes it");
    FillStandIn(row->second, out);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-sample-data SOURCES_DIR OUT_DIR\n");
        return 2;
    }
    gSourceDir = argv[1];
    if (!LoadTraditional() || !LoadStandIns()) {
        std::fprintf(stderr, "make-sample-data: %s\n", gFailure.c_str());
        return 1;
    }
    int failed = 0;
    for (const std::string name : kManifestFiles) {
        if (name == kAtlasFile)
            continue;
        std::string bytes;
        if (!MakeNamed(name, &bytes) || !WriteOutput(std::string(argv[2]) + "/" + name, bytes)) {
            std::fprintf(stderr, "make-sample-data: %s: %s\n", name.c_str(), gFailure.c_str());
            ++failed;
        }
        gStandIns.erase(name);
    }
    for (const std::pair<const std::string, StandIn> &row : gStandIns) {
        std::fprintf(stderr, "make-sample-data: %s names %s, no file of the manifest\n", kStandInTable, row.first.c_str());
        ++failed;
    }
    return failed ? 1 : 0;
}
