// Host-side generator of the project's own sample product data: every file of the install
// manifest except the glyph atlas (make-atlas writes that), each under its manifest name in
// OUT_DIR. The speech-module package is a real installer package, made by make-speech-package.
//
//   make-sample-data SOURCES_DIR OUT_DIR
//
// Texts, settings files and help pages come from the UTF-8 sources in SOURCES_DIR and leave
// here in the code page their reader expects (GBK; Big5 for the _b5 pages), with CR LF line
// ends. Pictures, dictionaries, tables and programs are stand-ins drawn from the same sources
// and from fixed seeds: nothing depends on the clock or the machine, so two runs give the
// same bytes.
#include <fnmatch.h>
#include <iconv.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "install/payload_limits.h"

namespace {

typedef std::vector<unsigned char> Bytes;

struct Rule;
typedef bool (*MakeFile)(const Rule &rule, const std::string &fileName, Bytes *out);

// One way of making files: the first rule whose pattern matches a file name makes it.
// `number` and `text` are the maker's own arguments.
struct Rule {
    const char *pattern;
    MakeFile make;
    int number;
    const char *text;
};

const char *const kManifestFiles[] = {
#define MANIFEST_PROGRESS(position)
#define MANIFEST_ROW(identifier, file, attributes, kind) file,
#include "install/manifest_table.def"
#undef MANIFEST_PROGRESS
#undef MANIFEST_ROW
};

const char kAtlasFile[] = "ChnBmp.bin";

// The word-base index at the largest size the install run is built for. The install run
// takes an index whose first byte has the top bit set for an old word base of the user's.
const size_t kWordBaseIndexBytes = 38018618;
const unsigned char kWordBaseIndexMark = 0xC9;

enum Language { kSimplified, kTraditional, kEnglish };

// ---------------------------------------------------------------------------------------
// Small helpers: errors, bytes, hashing, deterministic random numbers

std::string gFailure; // the reason the current file could not be made

bool Fail(const std::string &reason)
{
    gFailure = reason;
    return false;
}

void PutU8(Bytes *out, unsigned value) { out->push_back(static_cast<unsigned char>(value)); }

void PutU16(Bytes *out, unsigned value)
{
    PutU8(out, value & 0xFF);
    PutU8(out, value >> 8 & 0xFF);
}

void PutU32(Bytes *out, uint32_t value)
{
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutText(Bytes *out, const std::string &text) { out->insert(out->end(), text.begin(), text.end()); }

// A double-byte code, lead byte first, as it stands in text.
void PutCode(Bytes *out, unsigned code)
{
    PutU8(out, code >> 8);
    PutU8(out, code & 0xFF);
}

void PutZeros(Bytes *out, size_t count) { out->insert(out->end(), count, 0); }

uint32_t Hash(const std::string &text)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

uint32_t HashNumber(uint32_t value, uint32_t salt)
{
    value ^= salt * 0x9E3779B9u;
    value ^= value >> 16;
    value *= 0x85EBCA6Bu;
    value ^= value >> 13;
    value *= 0xC2B2AE35u;
    return value ^ value >> 16;
}

struct Random {
    uint64_t state;
};

Random SeededRandom(const std::string &seed) { return Random{Hash(seed) * 0x9E3779B97F4A7C15ull + 1}; }

uint32_t Next(Random *random)
{
    random->state = random->state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(random->state >> 33);
}

int Below(Random *random, int limit) { return static_cast<int>(Next(random) % static_cast<uint32_t>(limit)); }

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

std::vector<std::string> SplitLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> SplitFields(const std::string &line, char separator)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t end = line.find(separator, start);
        fields.push_back(line.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return fields;
        start = end + 1;
    }
}

std::vector<std::string> SplitWords(const std::string &line)
{
    std::vector<std::string> words;
    for (const std::string &field : SplitFields(ReplaceAll(line, "\t", " "), ' '))
        if (!field.empty())
            words.push_back(field);
    return words;
}

// The UTF-8 characters of a text, one string each.
std::vector<std::string> SplitCharacters(const std::string &utf8)
{
    std::vector<std::string> characters;
    for (size_t at = 0; at < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[at]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        characters.push_back(utf8.substr(at, length));
        at += length;
    }
    return characters;
}

// ---------------------------------------------------------------------------------------
// Code pages, through glibc's iconv

iconv_t Converter(const char *to, const char *from)
{
    static std::map<std::string, iconv_t> converters;
    std::string key = std::string(to) + "<" + from;
    std::map<std::string, iconv_t>::iterator found = converters.find(key);
    if (found != converters.end())
        return found->second;
    iconv_t converter = iconv_open(to, from);
    converters[key] = converter;
    return converter;
}

// Converts the whole text or fails, naming the first character that has no place in `to`.
bool Convert(const char *to, const char *from, const std::string &in, std::string *out)
{
    iconv_t converter = Converter(to, from);
    if (converter == iconv_t(-1))
        return Fail(std::string("no converter from ") + from + " to " + to);
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> input(in.begin(), in.end());
    std::vector<char> output(in.size() * 4 + 16);
    char *inPointer = input.data(), *outPointer = output.data();
    size_t inLeft = input.size(), outLeft = output.size();
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == size_t(-1)) {
        size_t at = static_cast<size_t>(inPointer - input.data());
        return Fail("\"" + in.substr(at, std::strcspn(in.c_str() + at, "\n")).substr(0, 12) +
                    "\" has no place in " + to);
    }
    out->assign(output.data(), outPointer);
    return true;
}

// The double-byte code of one character in `charset`, or 0 when it has none there.
unsigned CodeOf(const char *charset, const std::string &character)
{
    std::string encoded;
    if (!Convert(charset, "UTF-8", character, &encoded) || encoded.size() != 2)
        return 0;
    return static_cast<unsigned char>(encoded[0]) << 8 | static_cast<unsigned char>(encoded[1]);
}

// The character of a double-byte code in `charset`, or "" when the code is not assigned.
std::string CharacterOf(const char *charset, unsigned code)
{
    std::string character;
    std::string bytes = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    if (!Convert("UTF-8", charset, bytes, &character))
        return "";
    return character;
}

bool IsIdeograph(const std::string &character)
{
    if (character.size() != 3)
        return false;
    unsigned point = (character[0] & 0x0F) << 12 | (character[1] & 0x3F) << 6 | (character[2] & 0x3F);
    return point >= 0x4E00 && point <= 0x9FFF;
}

// A range of double-byte codes: lead bytes, and the trail bytes of every lead.
struct CodeRange {
    unsigned leadFirst, leadLast;
    unsigned trailFirst[2], trailLast[2];
};

const CodeRange kGbkRange = {0x81, 0xFE, {0x40, 0x80}, {0x7E, 0xFE}};
const CodeRange kGb2312Range = {0xA1, 0xF7, {0xA1, 0xA1}, {0xFE, 0xFE}};
const CodeRange kBig5Range = {0xA1, 0xF9, {0x40, 0xA1}, {0x7E, 0xFE}};

std::vector<unsigned> CodesOf(const CodeRange &range)
{
    std::vector<unsigned> codes;
    for (unsigned lead = range.leadFirst; lead <= range.leadLast; ++lead)
        for (int part = 0; part < 2; ++part) {
            if (part == 1 && range.trailFirst[1] == range.trailFirst[0])
                break;
            for (unsigned trail = range.trailFirst[part]; trail <= range.trailLast[part]; ++trail)
                codes.push_back(lead << 8 | trail);
        }
    return codes;
}

// ---------------------------------------------------------------------------------------
// The committed sources and the character model built from them

std::string gSourceDir;
std::vector<std::string> gSyllables;         // pinyin.txt, numbered in order
std::map<std::string, int> gSyllableNumbers;

struct DictionaryEntry {
    std::string word;                        // UTF-8
    std::vector<int> syllables, tones;
    std::string senses;
};
std::vector<DictionaryEntry> gDictionary;    // hanying_utf8.txt
std::vector<std::string> gFrequentCharacters; // zifreq.txt, most frequent first
std::vector<unsigned> gFrequentCodes;         // their GBK codes
std::vector<std::pair<std::string, std::string>> gTraditional; // hant.txt, longest first

// The GB2312 hanzi (rows 16 to 87) by index in code order, with what the tables say of them.
struct Hanzi {
    unsigned code;
    int syllable, tone, strokes, rank; // rank -1: not in the frequency list
};
std::vector<Hanzi> gHanzi;
std::map<unsigned, int> gHanziIndex;         // GBK code -> index in gHanzi

bool ReadSource(const std::string &name, std::string *text)
{
    std::string path = gSourceDir + "/" + name;
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return Fail("cannot read " + path);
    char chunk[65536];
    size_t got;
    text->clear();
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        text->append(chunk, got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok ? true : Fail("cannot read " + path);
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

bool LoadSyllables()
{
    std::vector<std::string> lines;
    if (!ReadSourceLines("pinyin.txt", &lines))
        return false;
    for (const std::string &line : lines)
        for (const std::string &syllable : SplitWords(line)) {
            gSyllableNumbers[syllable] = static_cast<int>(gSyllables.size());
            gSyllables.push_back(syllable);
        }
    return true;
}

// "zhong1" -> syllable number and tone; the syllable must be one of pinyin.txt.
bool ParsePinyin(const std::string &token, int *syllable, int *tone)
{
    if (token.empty() || token.back() < '1' || token.back() > '5')
        return Fail("pinyin \"" + token + "\" has no tone digit");
    std::map<std::string, int>::const_iterator found = gSyllableNumbers.find(token.substr(0, token.size() - 1));
    if (found == gSyllableNumbers.end())
        return Fail("pinyin \"" + token + "\" is not a syllable of pinyin.txt");
    *syllable = found->second;
    *tone = token.back() - '0';
    return true;
}

bool ParseDictionaryLine(const std::string &line, DictionaryEntry *entry)
{
    std::vector<std::string> fields = SplitFields(line, '\t');
    if (fields.size() != 3)
        return Fail("dictionary line \"" + line + "\" has not three fields");
    entry->word = fields[0];
    entry->senses = fields[2];
    for (const std::string &token : SplitWords(fields[1])) {
        int syllable, tone;
        if (!ParsePinyin(token, &syllable, &tone))
            return false;
        entry->syllables.push_back(syllable);
        entry->tones.push_back(tone);
    }
    if (entry->syllables.size() != SplitCharacters(entry->word).size())
        return Fail("dictionary word \"" + entry->word + "\" and its pinyin differ in length");
    return true;
}

bool LoadDictionary()
{
    std::vector<std::string> lines;
    if (!ReadSourceLines("hanying_utf8.txt", &lines))
        return false;
    for (const std::string &line : lines) {
        DictionaryEntry entry;
        if (!ParseDictionaryLine(line, &entry))
            return false;
        gDictionary.push_back(entry);
    }
    return true;
}

bool LoadFrequentCharacters()
{
    std::vector<std::string> lines;
    if (!ReadSourceLines("zifreq.txt", &lines))
        return false;
    for (const std::string &line : lines)
        for (const std::string &character : SplitCharacters(line))
            if (character.size() > 1) {
                unsigned code = CodeOf("GBK", character);
                if (!code)
                    return Fail("zifreq.txt: \"" + character + "\" is no GBK character");
                gFrequentCharacters.push_back(character);
                gFrequentCodes.push_back(code);
            }
    return true;
}

bool LoadTraditional()
{
    std::vector<std::string> lines;
    if (!ReadSourceLines("hant.txt", &lines))
        return false;
    for (const std::string &line : lines)
        for (const std::string &pair : SplitWords(line)) {
            size_t equals = pair.find('=');
            if (equals == std::string::npos || equals == 0)
                return Fail("hant.txt: \"" + pair + "\" is not simplified=traditional");
            gTraditional.push_back({pair.substr(0, equals), pair.substr(equals + 1)});
        }
    std::stable_sort(gTraditional.begin(), gTraditional.end(),
                     [](const std::pair<std::string, std::string> &a, const std::pair<std::string, std::string> &b) {
                         return a.first.size() > b.first.size();
                     });
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
            taken = SplitCharacters(text.substr(at, 4))[0].size();
            out += text.substr(at, taken);
        }
        at += taken;
    }
    return out;
}

// One character back from traditional to simplified, where hant.txt knows it.
std::string ToSimplified(const std::string &character)
{
    for (const std::pair<std::string, std::string> &pair : gTraditional)
        if (pair.second == character && SplitCharacters(pair.first).size() == 1)
            return pair.first;
    return character;
}

void BuildHanziTable()
{
    for (unsigned code : CodesOf(kGb2312Range)) {
        if (code < 0xB0A1 || (code >= 0xD7FA && code <= 0xD7FE))
            continue; // symbols, and the five empty places at the end of row 55
        uint32_t hash = HashNumber(code, 1);
        Hanzi hanzi = {code, -1, 1 + static_cast<int>(hash % 4), 2 + static_cast<int>(hash >> 8) % 8 + static_cast<int>(hash >> 16) % 8, -1};
        gHanziIndex[code] = static_cast<int>(gHanzi.size());
        gHanzi.push_back(hanzi);
    }
}

Hanzi *HanziOf(const std::string &character)
{
    std::map<unsigned, int>::iterator found = gHanziIndex.find(CodeOf("GBK", character));
    return found == gHanziIndex.end() ? nullptr : &gHanzi[found->second];
}

void TakeDictionaryReadings()
{
    for (const DictionaryEntry &entry : gDictionary) {
        std::vector<std::string> characters = SplitCharacters(entry.word);
        for (size_t i = 0; i < characters.size(); ++i) {
            Hanzi *hanzi = HanziOf(characters[i]);
            if (hanzi && hanzi->syllable < 0) {
                hanzi->syllable = entry.syllables[i];
                hanzi->tone = entry.tones[i];
            }
        }
    }
}

// Positions of the longest chain of known readings (>= 0) that never decreases: the
// readings that agree with the pinyin order of the codes. Patience sorting.
std::vector<bool> ReadingsInOrder(const std::vector<int> &readings)
{
    std::vector<size_t> tails, previous(readings.size(), size_t(-1));
    for (size_t i = 0; i < readings.size(); ++i) {
        if (readings[i] < 0)
            continue;
        size_t place = static_cast<size_t>(std::upper_bound(tails.begin(), tails.end(), readings[i],
            [&readings](int reading, size_t tail) { return reading < readings[tail]; }) - tails.begin());
        previous[i] = place ? tails[place - 1] : size_t(-1);
        if (place == tails.size())
            tails.push_back(i);
        else
            tails[place] = i;
    }
    std::vector<bool> inOrder(readings.size(), false);
    for (size_t i = tails.empty() ? size_t(-1) : tails.back(); i != size_t(-1); i = previous[i])
        inOrder[i] = true;
    return inOrder;
}

// Level 1 of GB2312 (rows 16 to 55) is in pinyin order, so a character the dictionary does
// not know most likely reads like the last known one before it. Known readings out of that
// order (other readings of polyphones) stay, but set no course. Level 2 is in radical order
// and gets readings from a hash.
void FillMissingReadings()
{
    std::vector<int> readings; // level 1 comes first in gHanzi, so the indices agree
    for (const Hanzi &hanzi : gHanzi)
        if (hanzi.code < 0xD8A1)
            readings.push_back(hanzi.syllable);
    std::vector<bool> inOrder = ReadingsInOrder(readings);
    int last = 0;
    for (size_t i = 0; i < gHanzi.size(); ++i) {
        Hanzi &hanzi = gHanzi[i];
        if (hanzi.code >= 0xD8A1) {
            if (hanzi.syllable < 0)
                hanzi.syllable = static_cast<int>(HashNumber(hanzi.code, 2) % gSyllables.size());
        } else if (inOrder[i]) {
            last = hanzi.syllable;
        } else if (hanzi.syllable < 0) {
            hanzi.syllable = last;
        }
    }
}

void TakeFrequencyRanks()
{
    for (size_t rank = 0; rank < gFrequentCharacters.size(); ++rank) {
        Hanzi *hanzi = HanziOf(gFrequentCharacters[rank]);
        if (hanzi && hanzi->rank < 0) {
            hanzi->rank = static_cast<int>(rank);
            hanzi->strokes = std::max(1, hanzi->strokes - static_cast<int>(6 * (gFrequentCharacters.size() - rank) / gFrequentCharacters.size()));
        }
    }
}

bool LoadSources()
{
    if (!LoadSyllables() || !LoadDictionary() || !LoadFrequentCharacters() || !LoadTraditional())
        return false;
    BuildHanziTable();
    TakeDictionaryReadings();
    FillMissingReadings();
    TakeFrequencyRanks();
    return true;
}

// Reading of any GBK code: the GB2312 table where it has the character, a hash for the
// other ideographs of GBK; -1 for codes that are no ideograph.
int SyllableOfGbk(unsigned code)
{
    std::map<unsigned, int>::const_iterator found = gHanziIndex.find(code);
    if (found != gHanziIndex.end())
        return gHanzi[found->second].syllable;
    if (!IsIdeograph(CharacterOf("GBK", code)))
        return -1;
    return static_cast<int>(HashNumber(code, 3) % gSyllables.size());
}

std::string PinyinOf(const Hanzi &hanzi) { return gSyllables[hanzi.syllable] + char('0' + hanzi.tone); }

// ---------------------------------------------------------------------------------------
// Texts and settings files

bool MakeGbkText(const Rule &, const std::string &fileName, Bytes *out)
{
    std::string text, encoded;
    if (!ReadSource(fileName, &text) || !Convert("GBK", "UTF-8", WithCrLf(text), &encoded))
        return false;
    PutText(out, encoded);
    return true;
}

// English texts stay plain ASCII, so they read the same in every code page.
bool MakeEnglishText(const Rule &, const std::string &fileName, Bytes *out)
{
    std::string text, encoded;
    if (!ReadSource(fileName, &text) || !Convert("ASCII", "UTF-8", WithCrLf(text), &encoded))
        return false;
    PutText(out, encoded);
    return true;
}

bool MakeUtf8Text(const Rule &, const std::string &fileName, Bytes *out)
{
    std::string text;
    if (!ReadSource(fileName, &text))
        return false;
    PutText(out, WithCrLf(text));
    return true;
}

// Share of all running text covered by the `rank` most frequent characters: a curve fitted
// to the usual shape of such counts (the first character near 5 %, a thousand near 85 %).
double Coverage(size_t rank) { return 1.0 - std::exp(-0.05 * std::pow(static_cast<double>(rank), 0.52)); }

bool MakeFrequencyList(const Rule &, const std::string &, Bytes *out)
{
    std::string text = "# 拓沃常用汉字字频表\n"
                       "# 序号\t汉字\t拼音\t每百万字出现次数\t累计百分比\n";
    for (size_t rank = 1; rank <= gFrequentCharacters.size(); ++rank) {
        const std::string &character = gFrequentCharacters[rank - 1];
        Hanzi *hanzi = HanziOf(character);
        char line[128];
        std::snprintf(line, sizeof line, "%zu\t%s\t%s\t%.1f\t%.2f\n", rank, character.c_str(),
                      hanzi ? PinyinOf(*hanzi).c_str() : "-", (Coverage(rank) - Coverage(rank - 1)) * 1e6,
                      Coverage(rank) * 100);
        text += line;
    }
    std::string encoded;
    if (!Convert("GBK", "UTF-8", WithCrLf(text), &encoded))
        return false;
    PutText(out, encoded);
    return true;
}

// ---------------------------------------------------------------------------------------
// Help pages: one source per page in pages/, a simplified-Chinese section ("@zh title")
// and an English one ("@en title"); the traditional page is the simplified one converted.
// "{L}" in a link becomes the language's file-name suffix.

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

bool BuildPage(const std::string &stem, Language language, std::string *encoded)
{
    std::string source, title, body;
    if (!ReadSource("pages/" + stem + ".txt", &source))
        return false;
    if (!PageSection(source, language == kEnglish ? "@en " : "@zh ", &title, &body))
        return Fail("pages/" + stem + ".txt has no section for this language");
    const char *suffix[] = {"", "_b5", "_en"};
    body = ReplaceAll(body, "{L}", suffix[language]);
    switch (language) {
    case kSimplified:
        return Convert("GBK", "UTF-8", WithCrLf(PageHtml(title, body, "gb2312", "拓沃软件有限公司 版权所有")), encoded);
    case kTraditional:
        return Convert("CP950", "UTF-8", WithCrLf(ToTraditional(PageHtml(title, body, "big5", "拓沃软件有限公司 版权所有"))), encoded);
    case kEnglish:
        return Convert("ASCII", "UTF-8", WithCrLf(PageHtml(title, body, "iso-8859-1", "Copyright Tovra Software Ltd.")), encoded);
    }
    return false;
}

// rule.text is the file-name ending that follows the page's stem.
bool MakePage(const Rule &rule, const std::string &fileName, Bytes *out)
{
    std::string stem = fileName.substr(0, fileName.size() - std::strlen(rule.text));
    std::string encoded;
    if (!BuildPage(stem, static_cast<Language>(rule.number), &encoded))
        return false;
    PutText(out, encoded);
    return true;
}

// ---------------------------------------------------------------------------------------
// Pictures: 24-bit BMP files drawn with plain shapes and a 3 x 5 pixel font

struct Canvas {
    int width, height;
    std::vector<uint32_t> pixels; // 0xRRGGBB, top row first
};

Canvas NewCanvas(int width, int height, uint32_t color)
{
    return Canvas{width, height, std::vector<uint32_t>(size_t(width) * height, color)};
}

void FillRect(Canvas *canvas, int x, int y, int width, int height, uint32_t color)
{
    for (int row = std::max(0, y); row < std::min(canvas->height, y + height); ++row)
        for (int column = std::max(0, x); column < std::min(canvas->width, x + width); ++column)
            canvas->pixels[size_t(row) * canvas->width + column] = color;
}

void FrameRect(Canvas *canvas, int x, int y, int width, int height, uint32_t color)
{
    FillRect(canvas, x, y, width, 1, color);
    FillRect(canvas, x, y + height - 1, width, 1, color);
    FillRect(canvas, x, y, 1, height, color);
    FillRect(canvas, x + width - 1, y, 1, height, color);
}

uint32_t Blend(uint32_t from, uint32_t to, int step, int steps)
{
    uint32_t color = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        int a = from >> shift & 0xFF, b = to >> shift & 0xFF;
        color |= static_cast<uint32_t>(a + (b - a) * step / std::max(1, steps)) << shift;
    }
    return color;
}

void FillGradient(Canvas *canvas, int x, int y, int width, int height, uint32_t top, uint32_t bottom)
{
    for (int row = 0; row < height; ++row)
        FillRect(canvas, x, y + row, width, 1, Blend(top, bottom, row, height - 1));
}

void FillCircle(Canvas *canvas, int centreX, int centreY, int radius, uint32_t color)
{
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (dx * dx + dy * dy <= radius * radius)
                FillRect(canvas, centreX + dx, centreY + dy, 1, 1, color);
}

// Faint grain, so that a picture meant as a photograph does not look flat.
void AddGrain(Canvas *canvas, const std::string &seed)
{
    Random random = SeededRandom(seed);
    for (uint32_t &pixel : canvas->pixels) {
        int delta = Below(&random, 9) - 4;
        uint32_t grained = 0;
        for (int shift = 0; shift <= 16; shift += 8)
            grained |= static_cast<uint32_t>(std::min(255, std::max(0, int(pixel >> shift & 0xFF) + delta))) << shift;
        pixel = grained;
    }
}

// Rows of three pixels, top row first, for A to Z and 0 to 9.
const char *const kFont[36] = {
    "010101111101101", "110101110101110", "011100100100011", "110101101101110", "111100110100111",
    "111100110100100", "011100101101011", "101101111101101", "111010010010111", "001001001101010",
    "101101110101101", "100100100100111", "101111111101101", "110101101101101", "010101101101010",
    "110101110100100", "010101101010001", "110101110101101", "011100010001110", "111010010010010",
    "101101101101111", "101101101010010", "101101111111101", "101101010101101", "101101010010010",
    "111001010100111", "111101101101111", "010110010010111", "110001010100111", "110001010001110",
    "101101111001001", "111100110001110", "011100111101111", "111001010010010", "111101111101111",
    "111101111001110",
};

void DrawLabel(Canvas *canvas, const std::string &text, int x, int y, int scale, uint32_t color)
{
    for (char c : text) {
        int glyph = c >= 'A' && c <= 'Z' ? c - 'A' : c >= '0' && c <= '9' ? 26 + c - '0' : -1;
        for (int bit = 0; glyph >= 0 && bit < 15; ++bit)
            if (kFont[glyph][bit] == '1')
                FillRect(canvas, x + bit % 3 * scale, y + bit / 3 * scale, scale, scale, color);
        x += 4 * scale;
    }
}

void EncodeBmp(const Canvas &canvas, Bytes *out)
{
    int rowBytes = (canvas.width * 3 + 3) & ~3;
    uint32_t imageBytes = static_cast<uint32_t>(rowBytes) * canvas.height;
    PutText(out, "BM");
    PutU32(out, 54 + imageBytes);
    PutU32(out, 0);
    PutU32(out, 54);
    PutU32(out, 40);
    PutU32(out, canvas.width);
    PutU32(out, canvas.height);
    PutU16(out, 1);
    PutU16(out, 24);
    PutU32(out, 0);
    PutU32(out, imageBytes);
    PutU32(out, 2835); // 72 dots an inch
    PutU32(out, 2835);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int row = canvas.height - 1; row >= 0; --row) {
        for (int column = 0; column < canvas.width; ++column) {
            uint32_t pixel = canvas.pixels[size_t(row) * canvas.width + column];
            PutU8(out, pixel & 0xFF);
            PutU8(out, pixel >> 8 & 0xFF);
            PutU8(out, pixel >> 16 & 0xFF);
        }
        PutZeros(out, rowBytes - canvas.width * 3);
    }
}

void DrawKey(Canvas *canvas, int x, int y, int width, int height, uint32_t face)
{
    FillRect(canvas, x + 1, y + 1, width, height, 0x606060); // shadow
    FillRect(canvas, x, y, width, height, face);
    FrameRect(canvas, x, y, width, height, 0x404040);
}

// Double-pinyin scheme of the input engine: the key of each final. Syllables without an
// initial take the O key as their initial.
const char *const kFinalKeys[][2] = {
    {"a", "A"},   {"o", "O"},    {"e", "E"},   {"i", "I"},    {"u", "U"},   {"v", "V"},   {"ai", "L"},
    {"ei", "Z"},  {"ao", "K"},   {"ou", "B"},  {"an", "J"},   {"en", "F"},  {"ang", "H"}, {"eng", "G"},
    {"ong", "S"}, {"er", "R"},   {"ia", "W"},  {"ie", "X"},   {"iao", "C"}, {"iu", "Q"},  {"ian", "M"},
    {"in", "N"},  {"iang", "D"}, {"ing", "Y"}, {"iong", "S"}, {"ua", "W"},  {"uo", "O"},  {"uai", "Y"},
    {"ui", "V"},  {"uan", "R"},  {"un", "P"},  {"uang", "D"}, {"ue", "T"},  {"ve", "T"},
};

const char *FinalKey(const std::string &final)
{
    for (const auto &pair : kFinalKeys)
        if (final == pair[0])
            return pair[1];
    return nullptr;
}

// The finals a key stands for in the scheme, as the keyboard map labels them.
std::string FinalsOfKey(char key)
{
    std::string finals;
    for (const auto &pair : kFinalKeys)
        if (pair[1][0] == key && std::strlen(pair[0]) > 1 && finals.empty())
            finals = pair[0];
    for (char &c : finals)
        c = static_cast<char>(c - 'a' + 'A');
    return finals;
}

const char *InitialOfKey(char key)
{
    return key == 'V' ? "ZH" : key == 'I' ? "CH" : key == 'U' ? "SH" : "";
}

// rule.number: 1 small, 2 double pinyin, 4 the variant layout (keys coloured by group).
bool MakeKeyboardMap(const Rule &rule, const std::string &, Bytes *out)
{
    bool small = rule.number & 1, doublePinyin = rule.number & 2, variant = rule.number & 4;
    int pitch = small ? 15 : 30, keyWidth = pitch - 3, keyHeight = small ? 12 : 24, rowStep = keyHeight + 3;
    Canvas canvas = NewCanvas(small ? 160 : 320, small ? 68 : 132, variant ? 0xD4DCE8 : 0xC8CCD4);
    const char *const rows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    for (int row = 0; row < 4; ++row) {
        int x0 = 5 + row * pitch / 3, y = 4 + row * rowStep;
        for (int i = 0; rows[row][i]; ++i) {
            char key = rows[row][i];
            bool marked = variant && (doublePinyin ? !FinalsOfKey(key).empty() : std::strchr("AEIOUV", key) != nullptr);
            int x = x0 + i * pitch;
            DrawKey(&canvas, x, y, keyWidth, keyHeight, marked ? 0xFFE8A0 : 0xF4F4F4);
            DrawLabel(&canvas, std::string(1, key), x + 2, y + 2, small ? 1 : 2, 0x000000);
            if (doublePinyin && !small) {
                DrawLabel(&canvas, InitialOfKey(key), x + 12, y + 3, 1, 0xB00000);
                DrawLabel(&canvas, FinalsOfKey(key), x + 2, y + keyHeight - 7, 1, 0x0040B0);
            }
        }
    }
    DrawKey(&canvas, 5 + 3 * pitch, 4 + 4 * rowStep, 5 * pitch, keyHeight / 2, 0xF4F4F4);
    EncodeBmp(canvas, out);
    return true;
}

// A numeric keypad with the letters of each digit. rule.number: 0 drawing, 1 second colour
// scheme, 2 photograph (grain, shadow, a desk behind it).
bool MakeKeypadPicture(const Rule &rule, const std::string &fileName, Bytes *out)
{
    bool photo = rule.number == 2;
    Canvas canvas = photo ? NewCanvas(240, 180, 0) : NewCanvas(128, 168, 0xFFFFFF);
    Random random = SeededRandom(fileName);
    int x0 = photo ? 50 + Below(&random, 40) : 8, y0 = photo ? 14 : 8;
    if (photo) {
        FillGradient(&canvas, 0, 0, 240, 180, 0x8A6E52, 0x5C4632);
        FillRect(&canvas, x0 + 6, y0 + 6, 112, 152, 0x3A2C20);
    }
    FillGradient(&canvas, x0, y0, 112, 152, rule.number == 1 ? 0x305080 : 0x505860, 0x202428);
    const char *const letters[] = {"", "ABC", "DEF", "GHI", "JKL", "MNO", "PQRS", "TUV", "WXYZ"};
    for (int key = 0; key < 12; ++key) {
        int x = x0 + 8 + key % 3 * 34, y = y0 + 10 + key / 3 * 34;
        DrawKey(&canvas, x, y, 30, 28, key == 9 || key == 11 ? 0xB0B8C0 : 0xE8ECF0);
        int digit = key < 9 ? key + 1 : key == 10 ? 0 : -1;
        if (digit >= 0)
            DrawLabel(&canvas, std::to_string(digit), x + 12, y + 4, 2, 0x101010);
        if (digit >= 2)
            DrawLabel(&canvas, letters[digit - 1], x + 15 - 2 * int(std::strlen(letters[digit - 1])), y + 20, 1, 0x0040B0);
    }
    if (photo)
        AddGrain(&canvas, fileName);
    EncodeBmp(canvas, out);
    return true;
}

// Welcome pictures: a gradient, a round mark and the product's name, a word a line.
// rule.number is the main colour, rule.text the name.
bool MakeWelcomePicture(const Rule &rule, const std::string &, Bytes *out)
{
    uint32_t color = static_cast<uint32_t>(rule.number);
    Canvas canvas = NewCanvas(320, 200, 0);
    FillGradient(&canvas, 0, 0, 320, 200, color, 0xFFFFFF);
    FillCircle(&canvas, 60, 70, 34, 0xFFFFFF);
    FillCircle(&canvas, 60, 70, 26, color);
    FillRect(&canvas, 46, 62, 28, 6, 0xFFFFFF);
    FillRect(&canvas, 57, 62, 6, 24, 0xFFFFFF);
    std::vector<std::string> words = SplitWords(rule.text);
    for (size_t i = 0; i < words.size(); ++i)
        DrawLabel(&canvas, words[i], 110, 46 + int(i) * 26, 4, 0xFFFFFF);
    FillRect(&canvas, 0, 176, 320, 24, 0xF0F0F0);
    DrawLabel(&canvas, "VERSION 3 2", 12, 183, 2, 0x606060);
    EncodeBmp(canvas, out);
    return true;
}

// A ring with two letters in it. rule.number is the colour, rule.text the letters.
bool MakeLogo(const Rule &rule, const std::string &, Bytes *out)
{
    uint32_t color = static_cast<uint32_t>(rule.number);
    Canvas canvas = NewCanvas(96, 96, 0xFFFFFF);
    FillCircle(&canvas, 48, 48, 44, color);
    FillCircle(&canvas, 48, 48, 36, 0xFFFFFF);
    DrawLabel(&canvas, rule.text, 26, 36, 6, color);
    EncodeBmp(canvas, out);
    return true;
}

// A few strokes in each 10-pixel cell: how a line of Chinese looks at a glance.
void DrawChineseLine(Canvas *canvas, Random *random, int x, int y, int characters, uint32_t color)
{
    for (int i = 0; i < characters; ++i) {
        int cx = x + i * 10;
        for (int stroke = 0; stroke < 3 + Below(random, 3); ++stroke) {
            if (Below(random, 2))
                FillRect(canvas, cx + Below(random, 3), y + Below(random, 8), 6 + Below(random, 3), 1, color);
            else
                FillRect(canvas, cx + Below(random, 8), y + Below(random, 3), 1, 6 + Below(random, 3), color);
        }
    }
}

// An editor window with Chinese text and the candidate window of the input engine: the
// pictures of the help pages and the input samples. Each file name gives its own text.
bool MakeScreenPicture(const Rule &, const std::string &fileName, Bytes *out)
{
    Random random = SeededRandom(fileName);
    Canvas canvas = NewCanvas(240, 160, 0x3A6EA5);
    FillRect(&canvas, 4, 4, 232, 152, 0xD4D0C8);
    FrameRect(&canvas, 4, 4, 232, 152, 0x404040);
    FillRect(&canvas, 6, 6, 228, 13, 0x0A246A);
    DrawLabel(&canvas, "TOVRA SMART EDITOR", 10, 10, 1, 0xFFFFFF);
    DrawLabel(&canvas, "FILE  EDIT  FORMAT  TOOLS  HELP", 10, 23, 1, 0x000000);
    FillRect(&canvas, 8, 31, 224, 110, 0xFFFFFF);
    FrameRect(&canvas, 8, 31, 224, 110, 0x808080);
    int lines = 3 + Below(&random, 6);
    for (int line = 0; line < lines; ++line)
        DrawChineseLine(&canvas, &random, 12, 35 + line * 12, line + 1 < lines ? 12 + Below(&random, 9) : 2 + Below(&random, 8), 0x202020);

    const DictionaryEntry &entry = gDictionary[Below(&random, static_cast<int>(gDictionary.size()))];
    std::string pinyin;
    for (int syllable : entry.syllables)
        pinyin += gSyllables[syllable];
    std::transform(pinyin.begin(), pinyin.end(), pinyin.begin(), [](char c) { return char(c - 'a' + 'A'); });
    int x = 12 + Below(&random, 40), y = 35 + lines * 12;
    FillRect(&canvas, x, y, 170, 30, 0xFFFFE1);
    FrameRect(&canvas, x, y, 170, 30, 0x404040);
    DrawLabel(&canvas, pinyin, x + 4, y + 4, 1, 0x0040B0);
    for (int item = 0; item < 5; ++item) {
        DrawLabel(&canvas, std::to_string(item + 1), x + 4 + item * 33, y + 17, 1, 0x000000);
        DrawChineseLine(&canvas, &random, x + 9 + item * 33, y + 15, 2, item == 0 ? 0xB00000 : 0x202020);
    }
    FillRect(&canvas, 8, 143, 224, 11, 0xD4D0C8);
    DrawLabel(&canvas, "LN " + std::to_string(lines) + "  COL " + std::to_string(1 + Below(&random, 30)), 12, 146, 1, 0x000000);
    EncodeBmp(canvas, out);
    return true;
}

// ---------------------------------------------------------------------------------------
// Programs and packages: stand-ins that carry the marks of their kind (an "MZ" header with
// the usual DOS stub and a PE header, machine code of the usual shape), not runnable.

void PutDosHeader(Bytes *out)
{
    const unsigned words[] = {0x5A4D, 0x90, 3, 0, 4, 0, 0xFFFF, 0, 0xB8, 0, 0, 0, 0x40, 0};
    for (unsigned word : words)
        PutU16(out, word);
    PutZeros(out, 0x3C - out->size());
    PutU32(out, 0x80);
    const unsigned char stub[] = {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09, 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21};
    out->insert(out->end(), stub, stub + sizeof stub);
    PutText(out, "This program cannot be run in DOS mode.\r\r\n$");
    PutZeros(out, 0x80 - out->size());
}

// COFF header and a 32-bit optional header for a GUI program or library. No sections:
// nothing here is meant to be loaded.
void PutPeHeader(Bytes *out, bool library, uint32_t size)
{
    PutText(out, std::string("PE\0\0", 4));
    PutU16(out, 0x014C); // i386
    PutU16(out, 0);
    PutU32(out, 0);      // no time stamp, so that two builds agree
    PutU32(out, 0);
    PutU32(out, 0);
    PutU16(out, 224);
    PutU16(out, library ? 0x2102 : 0x0102);
    PutU16(out, 0x010B);
    PutU8(out, 6), PutU8(out, 0);
    uint32_t imageSize = 0x1000 + (size + 0xFFF) / 0x1000 * 0x1000;
    const uint32_t sizes[] = {size - 0x400, 0, 0, 0x1000, 0x1000, imageSize, library ? 0x10000000u : 0x400000u, 0x1000, 0x200};
    for (uint32_t value : sizes)
        PutU32(out, value);
    const unsigned versions[] = {4, 0, 3, 2, 4, 0};
    for (unsigned value : versions)
        PutU16(out, value);
    PutU32(out, 0);
    PutU32(out, imageSize);
    PutU32(out, 0x400);
    PutU32(out, 0);
    PutU16(out, 2);      // Windows GUI
    PutU16(out, 0);
    const uint32_t memory[] = {0x100000, 0x1000, 0x100000, 0x1000, 0, 16};
    for (uint32_t value : memory)
        PutU32(out, value);
    PutZeros(out, 0x400 - out->size());
}

// One function of plausible 32-bit machine code: frame, a few moves, calls and tests, return.
void PutFunction(Bytes *out, Random *random)
{
    const unsigned char prologue[] = {0x55, 0x8B, 0xEC};
    out->insert(out->end(), prologue, prologue + 3);
    if (Below(random, 2)) {
        PutU8(out, 0x83), PutU8(out, 0xEC), PutU8(out, 4 * (1 + Below(random, 16)));
    }
    for (int count = 3 + Below(random, 24); count > 0; --count) {
        switch (Below(random, 8)) {
        case 0: PutU8(out, 0x8B), PutU8(out, 0x45), PutU8(out, 8 + 4 * Below(random, 4)); break;
        case 1: PutU8(out, 0x89), PutU8(out, 0x45), PutU8(out, 0x100 - 4 * (1 + Below(random, 16))); break;
        case 2: PutU8(out, 0xE8), PutU32(out, static_cast<uint32_t>(Below(random, 0x40000) - 0x20000)); break;
        case 3: PutU8(out, 0x6A), PutU8(out, Below(random, 3) ? Below(random, 4) : Below(random, 256)); break;
        case 4: PutU8(out, 0x85), PutU8(out, 0xC0), PutU8(out, 0x74 + Below(random, 2)), PutU8(out, 2 + Below(random, 60)); break;
        case 5: PutU8(out, 0xFF), PutU8(out, 0x15), PutU32(out, 0x00431000 + 4 * Below(random, 96)); break;
        case 6: PutU8(out, 0x33), PutU8(out, 0xC0); break;
        default: PutU8(out, 0x8B), PutU8(out, 0x4D), PutU8(out, 0x100 - 4 * (1 + Below(random, 16))); break;
        }
    }
    PutU8(out, 0xC9), PutU8(out, 0xC3);
    while (out->size() % 16)
        PutU8(out, 0xCC);
}

void PutMachineCode(Bytes *out, Random *random, size_t end)
{
    while (out->size() < end)
        PutFunction(out, random);
    out->resize(end);
}

// rule.number: size in KiB; rule.text: what the program is, as its version text says.
bool MakeProgram(const Rule &rule, const std::string &fileName, Bytes *out)
{
    Random random = SeededRandom(fileName);
    std::string strings = std::string(rule.text) + '\0' + "3.2.0.417" + '\0' + fileName + '\0' +
                          "Copyright (C) Tovra Software Ltd. All rights reserved." + '\0' + "www.example.com" + '\0';
    size_t size = static_cast<size_t>(rule.number) * 1024;
    PutDosHeader(out);
    PutPeHeader(out, fileName.size() > 4 && fileName.compare(fileName.size() - 4, 4, ".dll") == 0, static_cast<uint32_t>(size));
    PutMachineCode(out, &random, size - 1024);
    PutText(out, strings);
    PutZeros(out, size - out->size());
    return true;
}

bool MakeNamed(const std::string &fileName, Bytes *out);

// The editor's compiled help: a stand-in with the file kind's signature and a plain
// directory of the help pages it carries.
bool MakeHelpFile(const Rule &, const std::string &, Bytes *out)
{
    std::vector<std::string> names;
    std::vector<Bytes> pages;
    for (const char *name : kManifestFiles) {
        if (fnmatch("hlp_*.htm", name, 0) != 0)
            continue;
        Bytes page;
        if (!MakeNamed(name, &page))
            return false;
        names.push_back(std::string("/") + name);
        pages.push_back(page);
    }
    PutText(out, "ITSF");
    PutU32(out, 3);
    PutU32(out, 0x60);
    PutU32(out, 1);
    PutU32(out, 0);      // no time stamp
    PutU32(out, 0x0804); // simplified Chinese
    for (int i = 0; i < 32; ++i)
        PutU8(out, HashNumber(i, 11) & 0xFF);
    PutU32(out, 0x60);
    PutU32(out, static_cast<uint32_t>(names.size()));
    PutZeros(out, 0x60 - out->size());
    size_t offset = out->size();
    for (const std::string &name : names)
        offset += 2 + name.size() + 8;
    for (size_t i = 0; i < names.size(); ++i) {
        PutU16(out, static_cast<unsigned>(names[i].size()));
        PutText(out, names[i]);
        PutU32(out, static_cast<uint32_t>(offset));
        PutU32(out, static_cast<uint32_t>(pages[i].size()));
        offset += pages[i].size();
    }
    for (const Bytes &page : pages)
        out->insert(out->end(), page.begin(), page.end());
    return true;
}

// ---------------------------------------------------------------------------------------
// Dictionaries and tables of the input engine

const char *const kInitials[] = {"zh", "ch", "sh", "b", "p", "m", "f", "d", "t", "n", "l", "g",
                                 "k",  "h",  "j",  "q", "x", "r", "z", "c", "s", "y", "w"};

// Splits a syllable into initial and final; the initial is "" for a syllable without one.
void SplitSyllable(const std::string &syllable, std::string *initial, std::string *final)
{
    *initial = "";
    for (const char *candidate : kInitials)
        if (syllable.compare(0, std::strlen(candidate), candidate) == 0 && syllable.size() > std::strlen(candidate)) {
            *initial = candidate;
            break;
        }
    *final = syllable.substr(initial->size());
}

// The two keys of a syllable in the double-pinyin scheme, or "" when the scheme has none.
std::string DoublePinyinKeys(const std::string &syllable)
{
    std::string initial, final;
    SplitSyllable(syllable, &initial, &final);
    const char *finalKey = FinalKey(final);
    if (!finalKey)
        return "";
    char initialKey = initial.empty() ? 'O' : initial == "zh" ? 'V' : initial == "ch" ? 'I' : initial == "sh" ? 'U'
                                                                                          : char(initial[0] - 'a' + 'A');
    return std::string(1, initialKey) + finalKey;
}

// GB2312 hanzi of each syllable, the most frequent first.
const std::vector<std::vector<unsigned>> &CharactersBySyllable()
{
    static std::vector<std::vector<unsigned>> table;
    if (!table.empty())
        return table;
    std::vector<const Hanzi *> ordered;
    for (const Hanzi &hanzi : gHanzi)
        ordered.push_back(&hanzi);
    std::stable_sort(ordered.begin(), ordered.end(), [](const Hanzi *a, const Hanzi *b) {
        return unsigned(a->rank) < unsigned(b->rank); // -1 (not ranked) sorts last
    });
    table.resize(gSyllables.size());
    for (const Hanzi *hanzi : ordered)
        table[hanzi->syllable].push_back(hanzi->code);
    return table;
}

// The pinyin key dictionary: every syllable with its initial, final, double-pinyin keys and
// where its characters start in the list of characters by syllable.
bool MakeSyllableKeys(const Rule &, const std::string &, Bytes *out)
{
    std::map<std::string, std::string> taken; // double-pinyin keys -> syllable
    PutText(out, "TVPK");
    PutU16(out, 1);
    PutU16(out, static_cast<unsigned>(gSyllables.size()));
    unsigned first = 0;
    for (const std::string &syllable : gSyllables) {
        std::string initial, final, keys = DoublePinyinKeys(syllable);
        if (keys.empty())
            return Fail("the double-pinyin scheme has no key for \"" + syllable + "\"");
        if (taken.count(keys))
            return Fail("double pinyin " + keys + " stands for both \"" + taken[keys] + "\" and \"" + syllable + "\"");
        taken[keys] = syllable;
        SplitSyllable(syllable, &initial, &final);
        std::string name = syllable;
        name.resize(8, '\0');
        PutText(out, name);
        PutText(out, initial.empty() ? std::string(2, '\0') : (initial + '\0').substr(0, 2));
        PutText(out, keys);
        unsigned count = static_cast<unsigned>(CharactersBySyllable()[gSyllableNumbers[syllable]].size());
        PutU16(out, first);
        PutU16(out, count);
        first += count;
    }
    return true;
}

// Characters by syllable: for each syllable its count, then its GBK codes.
bool MakeSyllableCharacters(const Rule &, const std::string &, Bytes *out)
{
    PutText(out, "TVPE");
    PutU16(out, static_cast<unsigned>(gSyllables.size()));
    for (const std::vector<unsigned> &codes : CharactersBySyllable()) {
        PutU16(out, static_cast<unsigned>(codes.size()));
        for (unsigned code : codes)
            PutCode(out, code);
    }
    return true;
}

// The character dictionary: one fixed record per GB2312 hanzi.
bool MakeCharacterDictionary(const Rule &, const std::string &, Bytes *out)
{
    PutText(out, "TVGF");
    PutU32(out, static_cast<uint32_t>(gHanzi.size()));
    for (const Hanzi &hanzi : gHanzi) {
        PutCode(out, hanzi.code);
        PutU16(out, hanzi.syllable);
        PutU8(out, hanzi.tone);
        PutU8(out, hanzi.strokes);
        PutU16(out, hanzi.rank < 0 ? 0xFFFF : hanzi.rank);
        PutU8(out, hanzi.code < 0xD8A1 ? 1 : 2);
        PutU8(out, 0);
    }
    return true;
}

// Sort weights of the GB2312 hanzi in code order: by reading, then strokes, then code.
bool MakeSortOrder(const Rule &, const std::string &, Bytes *out)
{
    std::vector<int> order(gHanzi.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(), [](int a, int b) {
        const Hanzi &x = gHanzi[a], &y = gHanzi[b];
        return x.syllable != y.syllable ? x.syllable < y.syllable : x.strokes < y.strokes;
    });
    std::vector<unsigned> weight(order.size());
    for (size_t position = 0; position < order.size(); ++position)
        weight[order[position]] = static_cast<unsigned>(position);
    PutText(out, "TVSO");
    PutU32(out, static_cast<uint32_t>(gHanzi.size()));
    for (unsigned value : weight)
        PutU16(out, value);
    return true;
}

// Fuzzy syllables: the pairs that each rule makes alike, where both syllables exist.
bool MakeFuzzyPairs(const Rule &, const std::string &, Bytes *out)
{
    const char *const rules[][2] = {{"z", "zh"}, {"c", "ch"}, {"s", "sh"}, {"n", "l"}, {"an", "ang"}, {"en", "eng"}, {"in", "ing"}};
    PutText(out, "TVFZ");
    PutU16(out, sizeof rules / sizeof rules[0]);
    for (int rule = 0; rule < int(sizeof rules / sizeof rules[0]); ++rule) {
        std::vector<std::pair<int, int>> pairs;
        std::string from = rules[rule][0], to = rules[rule][1];
        bool initial = rule < 4;
        for (size_t a = 0; a < gSyllables.size(); ++a) {
            const std::string &syllable = gSyllables[a];
            std::string head, tail;
            SplitSyllable(syllable, &head, &tail);
            std::string other;
            if (initial && head == from)
                other = to + tail;
            else if (!initial && tail == from)
                other = head + to;
            if (!other.empty() && gSyllableNumbers.count(other))
                pairs.push_back({static_cast<int>(a), gSyllableNumbers[other]});
        }
        PutText(out, (from + "=" + to + std::string(8, '\0')).substr(0, 8));
        PutU16(out, static_cast<unsigned>(pairs.size()));
        for (const std::pair<int, int> &pair : pairs)
            PutU16(out, pair.first), PutU16(out, pair.second);
    }
    return true;
}

// Abbreviated pinyin: the dictionary's words by the initial letters of their syllables.
bool MakeAbbreviations(const Rule &, const std::string &, Bytes *out)
{
    std::vector<std::pair<std::string, const DictionaryEntry *>> words;
    for (const DictionaryEntry &entry : gDictionary) {
        if (entry.syllables.size() < 2)
            continue;
        std::string letters;
        for (int syllable : entry.syllables)
            letters += gSyllables[syllable][0];
        words.push_back({letters, &entry});
    }
    std::stable_sort(words.begin(), words.end(),
                     [](const std::pair<std::string, const DictionaryEntry *> &a, const std::pair<std::string, const DictionaryEntry *> &b) {
                         return a.first < b.first;
                     });
    PutText(out, "TVAB");
    PutU32(out, static_cast<uint32_t>(words.size()));
    for (const std::pair<std::string, const DictionaryEntry *> &word : words) {
        std::string encoded;
        if (!Convert("GBK", "UTF-8", word.second->word, &encoded))
            return false;
        PutU8(out, static_cast<unsigned>(word.first.size()));
        PutText(out, word.first);
        PutU8(out, static_cast<unsigned>(encoded.size()));
        PutText(out, encoded);
    }
    return true;
}

// Character definitions: the dictionary's one-character entries, English senses.
bool MakeCharacterDefinitions(const Rule &, const std::string &, Bytes *out)
{
    Bytes records;
    uint32_t count = 0;
    for (const DictionaryEntry &entry : gDictionary) {
        unsigned code = CodeOf("GBK", entry.word);
        if (entry.syllables.size() != 1 || !code)
            continue;
        PutCode(&records, code);
        PutU16(&records, entry.syllables[0]);
        PutU8(&records, entry.tones[0]);
        PutU8(&records, static_cast<unsigned>(std::min<size_t>(entry.senses.size(), 255)));
        PutText(&records, entry.senses.substr(0, 255));
        ++count;
    }
    PutText(out, "TVZD");
    PutU32(out, count);
    out->insert(out->end(), records.begin(), records.end());
    return true;
}

// Character-to-pinyin table as text: every GB2312 hanzi with its reading.
bool MakePinyinText(const Rule &, const std::string &, Bytes *out)
{
    std::string text = "# 汉字拼音对照表 GB2312\n";
    for (const Hanzi &hanzi : gHanzi)
        text += CharacterOf("GBK", hanzi.code) + "\t" + PinyinOf(hanzi) + "\n";
    std::string encoded;
    if (!Convert("GBK", "UTF-8", WithCrLf(text), &encoded))
        return false;
    PutText(out, encoded);
    return true;
}

void PutRangeHeader(Bytes *out, const char *magic, const CodeRange &range)
{
    PutText(out, magic);
    PutU8(out, range.leadFirst), PutU8(out, range.leadLast);
    for (int part = 0; part < 2; ++part)
        PutU8(out, range.trailFirst[part]), PutU8(out, range.trailLast[part]);
}

// Reading of a double-byte code of `charset`: syllable in the low 12 bits, tone above;
// 0xFFFF for a code that is no ideograph.
unsigned ReadingOf(const char *charset, unsigned code)
{
    unsigned gbk = std::strcmp(charset, "GBK") == 0 ? code : CodeOf("GBK", CharacterOf(charset, code));
    int syllable = gbk ? SyllableOfGbk(gbk) : -1;
    if (syllable < 0)
        return 0xFFFF;
    std::map<unsigned, int>::const_iterator found = gHanziIndex.find(gbk);
    int tone = found != gHanziIndex.end() ? gHanzi[found->second].tone : 1 + static_cast<int>(HashNumber(gbk, 4) % 4);
    return static_cast<unsigned>(syllable) | static_cast<unsigned>(tone) << 12;
}

// rule.number: 0 the GBK table, 1 the Big5 table.
bool MakePinyinTable(const Rule &rule, const std::string &, Bytes *out)
{
    const char *charset = rule.number ? "CP950" : "GBK";
    const CodeRange &range = rule.number ? kBig5Range : kGbkRange;
    PutRangeHeader(out, "TVZP", range);
    for (unsigned code : CodesOf(range))
        PutU16(out, ReadingOf(charset, code));
    return true;
}

// Stroke table: per GB2312 hanzi its stroke count and the strokes in writing order, two to
// a byte (1 horizontal, 2 vertical, 3 falling left, 4 dot, 5 turning).
bool MakeStrokeTable(const Rule &, const std::string &, Bytes *out)
{
    const int firstStrokes[] = {1, 1, 1, 2, 2, 3, 3, 3, 4, 5};
    PutText(out, "TVBH");
    PutU32(out, static_cast<uint32_t>(gHanzi.size()));
    for (const Hanzi &hanzi : gHanzi) {
        PutCode(out, hanzi.code);
        PutU8(out, hanzi.strokes);
        for (int stroke = 0; stroke < hanzi.strokes; stroke += 2) {
            uint32_t hash = HashNumber(hanzi.code, 20 + stroke);
            int a = stroke == 0 ? firstStrokes[hash % 10] : 1 + static_cast<int>(hash % 5);
            int b = stroke + 1 < hanzi.strokes ? 1 + static_cast<int>(hash >> 8) % 5 : 0;
            PutU8(out, static_cast<unsigned>(a << 4 | b));
        }
    }
    return true;
}

// The character of the other script: traditional forms where hant.txt knows them, else the
// same character; 0 for a code that is not assigned or has no place in the target.
unsigned GbToBig5(unsigned code)
{
    std::string character = CharacterOf("GBK", code);
    return character.empty() ? 0 : CodeOf("CP950", ToTraditional(character));
}

unsigned Big5ToGb(unsigned code)
{
    std::string character = CharacterOf("CP950", code);
    return character.empty() ? 0 : CodeOf("GBK", ToSimplified(character));
}

bool IsGb2312Code(unsigned code) { return code >= 0xA1A1 && (code & 0xFF) >= 0xA1; }

enum ConversionTable { kGbkToBig5, kBig5ToGbk, kGb2312ToBig5, kBig5ToGb2312 };

// rule.number is the ConversionTable. A code without a counterpart gets the white square of
// the target, as the editor shows it.
bool MakeConversionTable(const Rule &rule, const std::string &, Bytes *out)
{
    bool toBig5 = rule.number == kGbkToBig5 || rule.number == kGb2312ToBig5;
    const CodeRange &range = rule.number == kGbkToBig5 ? kGbkRange : rule.number == kGb2312ToBig5 ? kGb2312Range : kBig5Range;
    unsigned square = CodeOf(toBig5 ? "CP950" : "GBK", "□");
    PutRangeHeader(out, toBig5 ? "TVG5" : "TV5G", range);
    for (unsigned code : CodesOf(range)) {
        unsigned target = toBig5 ? GbToBig5(code) : Big5ToGb(code);
        if (rule.number == kBig5ToGb2312 && !IsGb2312Code(target))
            target = 0;
        PutCode(out, target ? target : square);
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Character components: a set of simple, frequent characters serves as the components,
// and every character is made of two to four of them.

std::vector<unsigned> Components()
{
    std::vector<unsigned> components;
    for (const std::string &character : gFrequentCharacters) {
        Hanzi *hanzi = HanziOf(character);
        if (hanzi && hanzi->strokes <= 5 && components.size() < 240)
            components.push_back(hanzi->code);
    }
    return components;
}

std::vector<unsigned> ComponentsOf(unsigned code, size_t componentCount)
{
    uint32_t hash = HashNumber(code, 30);
    std::vector<unsigned> parts;
    for (unsigned i = 0; i < 2 + hash % 3; ++i)
        parts.push_back(HashNumber(code, 31 + i) % componentCount);
    return parts;
}

void PutDecomposition(Bytes *out, unsigned code, size_t componentCount)
{
    std::vector<unsigned> parts = ComponentsOf(code, componentCount);
    PutU8(out, static_cast<unsigned>(parts.size()));
    for (unsigned part : parts)
        PutU8(out, part);
}

// Ideograph codes of a range that are not GB2312 hanzi (GBK's extension, or all of Big5).
std::vector<unsigned> OtherIdeographs(const char *charset, const CodeRange &range)
{
    std::vector<unsigned> codes;
    for (unsigned code : CodesOf(range))
        if (!gHanziIndex.count(code) && IsIdeograph(CharacterOf(charset, code)))
            codes.push_back(code);
    return codes;
}

// Every component file starts with the same header: magic, kind, number of components.
std::vector<unsigned> PutComponentHeader(Bytes *out, unsigned kind)
{
    std::vector<unsigned> components = Components();
    PutText(out, "TVBJ");
    PutU8(out, kind);
    PutU8(out, static_cast<unsigned>(components.size()));
    return components;
}

// The components: GBK code, strokes and the key letter of their reading.
bool MakeComponentList(const Rule &, const std::string &, Bytes *out)
{
    for (unsigned code : PutComponentHeader(out, 0)) {
        const Hanzi &hanzi = gHanzi[gHanziIndex[code]];
        PutCode(out, code), PutU8(out, hanzi.strokes), PutU8(out, gSyllables[hanzi.syllable][0]);
    }
    return true;
}

// Where each GB2312 hanzi's decomposition starts in the decompositions file.
bool MakeComponentIndex(const Rule &, const std::string &, Bytes *out)
{
    size_t count = PutComponentHeader(out, 1).size();
    uint32_t offset = 0;
    for (const Hanzi &hanzi : gHanzi) {
        PutU32(out, offset);
        offset += 1 + static_cast<uint32_t>(ComponentsOf(hanzi.code, count).size());
    }
    return true;
}

bool MakeGbDecompositions(const Rule &, const std::string &, Bytes *out)
{
    size_t count = PutComponentHeader(out, 2).size();
    for (const Hanzi &hanzi : gHanzi)
        PutDecomposition(out, hanzi.code, count);
    return true;
}

// rule.text: the code page whose other ideographs are decomposed, "CP950" (all of Big5)
// or "GBK" (its extension beyond GB2312), each after its code.
bool MakeOtherDecompositions(const Rule &rule, const std::string &, Bytes *out)
{
    bool big5 = std::strcmp(rule.text, "CP950") == 0;
    size_t count = PutComponentHeader(out, big5 ? 3 : 4).size();
    for (unsigned code : OtherIdeographs(rule.text, big5 ? kBig5Range : kGbkRange)) {
        PutCode(out, code);
        PutDecomposition(out, code, count);
    }
    return true;
}

// For each component the GB2312 hanzi (by index) that contain it.
bool MakeComponentUse(const Rule &, const std::string &, Bytes *out)
{
    std::vector<std::vector<unsigned>> users(PutComponentHeader(out, 5).size());
    for (size_t i = 0; i < gHanzi.size(); ++i)
        for (unsigned part : ComponentsOf(gHanzi[i].code, users.size()))
            if (users[part].empty() || users[part].back() != i)
                users[part].push_back(static_cast<unsigned>(i));
    for (const std::vector<unsigned> &list : users) {
        PutU16(out, static_cast<unsigned>(list.size()));
        for (unsigned user : list)
            PutU16(out, user);
    }
    return true;
}

// The components in input order: by key letter, then strokes.
bool MakeComponentOrder(const Rule &, const std::string &, Bytes *out)
{
    std::vector<unsigned> components = PutComponentHeader(out, 6);
    std::vector<unsigned> order(components.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<unsigned>(i);
    std::stable_sort(order.begin(), order.end(), [&components](unsigned a, unsigned b) {
        const Hanzi &x = gHanzi[gHanziIndex[components[a]]], &y = gHanzi[gHanziIndex[components[b]]];
        char xKey = gSyllables[x.syllable][0], yKey = gSyllables[y.syllable][0];
        return xKey != yKey ? xKey < yKey : x.strokes < y.strokes;
    });
    for (unsigned component : order)
        PutU8(out, component);
    return true;
}

// One quarter (rule.number, 1 to 4) of the GB2312 hanzi with their components written out
// as characters: the standard form other programs read.
bool MakeStandardComponents(const Rule &rule, const std::string &, Bytes *out)
{
    std::vector<unsigned> components = PutComponentHeader(out, 6 + rule.number);
    size_t quarter = (gHanzi.size() + 3) / 4, first = (rule.number - 1) * quarter;
    for (size_t i = first; i < std::min(gHanzi.size(), first + quarter); ++i) {
        PutCode(out, gHanzi[i].code);
        std::vector<unsigned> parts = ComponentsOf(gHanzi[i].code, components.size());
        PutU8(out, static_cast<unsigned>(parts.size()));
        for (unsigned component : parts)
            PutCode(out, components[component]);
    }
    return true;
}

// The editor's work data as shipped: recent files, options and usage counters, all empty.
bool MakeWorkData(const Rule &, const std::string &, Bytes *out)
{
    PutText(out, "TVWD");
    PutU32(out, 1);
    PutU32(out, 0);
    PutZeros(out, 16 * 260);                 // recent files
    PutU16(out, 5), PutU16(out, 9), PutU16(out, 0), PutU16(out, 0); // auto-save minutes, candidates, flags
    PutZeros(out, gSyllables.size() * 4);    // syllable usage counters
    return true;
}

// ---------------------------------------------------------------------------------------
// The word base: phrase file, pinyin index and first-letter index

// The GBK code of a frequent character, drawn with a strong lean towards the top of the
// frequency list.
unsigned FrequentCode(Random *random)
{
    double draw = Next(random) / 4294967296.0;
    return gFrequentCodes[static_cast<size_t>(std::pow(draw, 2.5) * gFrequentCodes.size())];
}

// One phrase: its length, characters, syllables, frequency and flags (none set in the
// shipped base; the engine marks the user's own words), 4 + 4 * length bytes.
void PutPhrase(Bytes *out, const std::vector<unsigned> &codes, unsigned frequency)
{
    PutU8(out, static_cast<unsigned>(codes.size()));
    for (unsigned code : codes)
        PutCode(out, code);
    for (unsigned code : codes)
        PutU16(out, static_cast<unsigned>(std::max(0, SyllableOfGbk(code))));
    PutU16(out, frequency);
    PutU8(out, 0);
}

// The dictionary's words first, then phrases built from frequent characters.
bool MakePhraseFile(const Rule &, const std::string &fileName, Bytes *out)
{
    const uint32_t kBuiltPhrases = 180000;
    uint32_t count = 0;
    Bytes phrases;
    for (const DictionaryEntry &entry : gDictionary) {
        std::vector<unsigned> codes;
        for (const std::string &character : SplitCharacters(entry.word))
            codes.push_back(CodeOf("GBK", character));
        if (codes.size() >= 2)
            PutPhrase(&phrases, codes, 60000), ++count;
    }
    Random random = SeededRandom(fileName);
    for (uint32_t i = 0; i < kBuiltPhrases; ++i, ++count) {
        std::vector<unsigned> codes(Below(&random, 10) < 6 ? 2 : Below(&random, 5) < 3 ? 3 : 4);
        for (unsigned &code : codes)
            code = FrequentCode(&random);
        PutPhrase(&phrases, codes, 50000 / (1 + Below(&random, 1000)));
    }
    PutText(out, std::string("TVIGB\x1A", 6));
    PutU16(out, 2);
    PutU32(out, count);
    PutU32(out, 64);
    PutZeros(out, 64 - out->size());
    out->insert(out->end(), phrases.begin(), phrases.end());
    return true;
}

unsigned PickCharacter(Random *random, const std::vector<unsigned> &characters)
{
    if (characters.empty())
        return 0;
    int size = static_cast<int>(characters.size());
    return characters[std::min(Below(random, size), Below(random, size))];
}

// Slots of the pinyin index by first syllable: a share of all slots after a fixed weight of
// the syllable, of which 55 to 85 % hold the shipped phrases. The rest stay free for the
// words the user adds, so the engine never has to move records to make room.
void PlanIndexSlots(size_t slots, std::vector<size_t> *first, std::vector<size_t> *used)
{
    size_t syllables = gSyllables.size();
    uint64_t totalWeight = 0;
    for (size_t s = 0; s < syllables; ++s)
        totalWeight += 1 + HashNumber(static_cast<uint32_t>(s), 7) % 64;
    first->assign(syllables + 1, 0);
    used->assign(syllables, 0);
    uint64_t sum = 0;
    for (size_t s = 0; s < syllables; ++s) {
        sum += 1 + HashNumber(static_cast<uint32_t>(s), 7) % 64;
        (*first)[s + 1] = static_cast<size_t>(slots * sum / totalWeight);
        (*used)[s] = ((*first)[s + 1] - (*first)[s]) * (55 + HashNumber(static_cast<uint32_t>(s), 8) % 31) / 100;
    }
}

void StoreU16(unsigned char *at, unsigned value)
{
    at[0] = static_cast<unsigned char>(value & 0xFF);
    at[1] = static_cast<unsigned char>(value >> 8 & 0xFF);
}

// One phrase record of the pinyin index, 16 bytes: second and third syllable, length and
// flags (bit 0: a character of the phrase has several readings), offset in the phrase
// file (24 bits), frequency, the characters of the first three syllables (the third 0 in
// a two-character phrase). Filled in place: there are millions.
void PutIndexRecord(Bytes *out, Random *random, size_t s1, size_t s2, uint32_t *offset)
{
    const std::vector<std::vector<unsigned>> &bySyllable = CharactersBySyllable();
    bool longer = Below(random, 5) < 2;
    unsigned length = longer ? 3 + (Below(random, 4) == 0) : 2;
    int s3 = longer ? Below(random, static_cast<int>(gSyllables.size())) : -1;
    bool polyphone = Below(random, 16) == 0;
    *offset += 4 + 4 * length;
    unsigned char record[16];
    StoreU16(record, static_cast<unsigned>(s2));
    StoreU16(record + 2, longer ? s3 : 0xFFFF);
    record[4] = static_cast<unsigned char>(length << 4 | polyphone);
    record[5] = static_cast<unsigned char>(*offset & 0xFF);
    StoreU16(record + 6, *offset >> 8 & 0xFFFF);
    StoreU16(record + 8, 50000 / (1 + Below(random, 2000)));
    unsigned characters[3] = {PickCharacter(random, bySyllable[s1]), PickCharacter(random, bySyllable[s2]),
                              longer ? PickCharacter(random, bySyllable[s3]) : 0};
    for (int i = 0; i < 3; ++i) {
        record[10 + 2 * i] = static_cast<unsigned char>(characters[i] >> 8);
        record[11 + 2 * i] = static_cast<unsigned char>(characters[i] & 0xFF);
    }
    out->insert(out->end(), record, record + sizeof record);
}

// The pinyin index: a header, a directory by first syllable (first slot, slots, slots in
// use), the record slots in pinyin order and a trailer with a checksum; exactly
// kWordBaseIndexBytes.
bool MakeWordBaseIndex(const Rule &, const std::string &fileName, Bytes *out)
{
    const size_t kHeaderBytes = 64, kRecordBytes = 16, kTrailerBytes = 16;
    const size_t syllables = gSyllables.size(), directoryBytes = syllables * 12;
    const size_t slots = (kWordBaseIndexBytes - kHeaderBytes - directoryBytes - kTrailerBytes) / kRecordBytes;
    std::vector<size_t> first, used;
    PlanIndexSlots(slots, &first, &used);

    out->reserve(kWordBaseIndexBytes);
    PutU8(out, kWordBaseIndexMark);
    PutText(out, "TVRIDX");
    PutU8(out, 0x1A);
    PutU32(out, 3);
    PutU32(out, kRecordBytes);
    PutU32(out, static_cast<uint32_t>(slots));
    PutU32(out, static_cast<uint32_t>(syllables));
    PutU32(out, kHeaderBytes);
    PutU32(out, static_cast<uint32_t>(kHeaderBytes + directoryBytes));
    PutZeros(out, kHeaderBytes - out->size());
    for (size_t s = 0; s < syllables; ++s) {
        PutU32(out, static_cast<uint32_t>(first[s]));
        PutU32(out, static_cast<uint32_t>(first[s + 1] - first[s]));
        PutU32(out, static_cast<uint32_t>(used[s]));
    }
    Random random = SeededRandom(fileName);
    uint32_t offset = 64;
    for (size_t s1 = 0; s1 < syllables; ++s1) {
        for (size_t k = 0; k < used[s1]; ++k)
            PutIndexRecord(out, &random, s1, k * syllables / used[s1], &offset);
        PutZeros(out, (first[s1 + 1] - first[s1] - used[s1]) * kRecordBytes);
    }
    if (out->size() != kHeaderBytes + directoryBytes + slots * kRecordBytes)
        return Fail("the index records are not " + std::to_string(kRecordBytes) + " bytes each");
    uint32_t sum = 0;
    for (const unsigned char *byte = out->data(), *end = byte + out->size(); byte != end; ++byte)
        sum = sum * 31 + *byte;
    PutText(out, "TVRIDXEND");
    PutU32(out, sum);
    PutZeros(out, kWordBaseIndexBytes - out->size());
    return out->size() == kWordBaseIndexBytes ? true : Fail("the index came out at the wrong size");
}

// The first-letter index of two- and three-character phrases: for every pair and triple of
// initial letters, where its phrases start in the pinyin index.
bool MakeFirstLetterIndex(const Rule &, const std::string &, Bytes *out)
{
    bool starts[26] = {};
    for (const std::string &syllable : gSyllables)
        starts[syllable[0] - 'a'] = true;
    PutU8(out, kWordBaseIndexMark);
    PutText(out, "TVRFLX");
    PutU8(out, 0x1A);
    PutU32(out, 26 * 26);
    PutU32(out, 26 * 26 * 26);
    PutZeros(out, 32 - out->size());
    uint32_t offset = 0;
    for (int width = 2; width <= 3; ++width) {
        int entries = width == 2 ? 26 * 26 : 26 * 26 * 26;
        for (int entry = 0; entry < entries; ++entry) {
            bool possible = starts[entry % 26] && starts[entry / 26 % 26] && (width == 2 || starts[entry / 676]);
            PutU32(out, offset);
            if (possible)
                offset += HashNumber(static_cast<uint32_t>(entry), 40 + width) % (width == 2 ? 900 : 60);
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// What makes each file. Specific names first; the first match wins.

const Rule kRules[] = {
    // texts from the source of the same name
    {"hanying_utf8.txt", MakeUtf8Text, 0, nullptr},
    {"zifreq.txt", MakeFrequencyList, 0, nullptr},
    {"*_en.txt", MakeEnglishText, 0, nullptr},
    {"*_en.ini", MakeEnglishText, 0, nullptr},
    {"*.txt", MakeGbkText, 0, nullptr},
    {"*.ini", MakeGbkText, 0, nullptr},
    // pages from pages/<stem>.txt; the text is the ending after the stem
    {"*_en_us.htm", MakePage, kEnglish, "_en_us.htm"},
    {"*_zh_cn.htm", MakePage, kSimplified, "_zh_cn.htm"},
    {"*_en.htm", MakePage, kEnglish, "_en.htm"},
    {"*_b5.htm", MakePage, kTraditional, "_b5.htm"},
    {"*.htm", MakePage, kSimplified, ".htm"},
    // keyboard maps: 1 small, 2 double pinyin, 4 variant
    {"kbpy_std.bmp", MakeKeyboardMap, 0, nullptr},
    {"kbpy_var.bmp", MakeKeyboardMap, 4, nullptr},
    {"kbsp_std.bmp", MakeKeyboardMap, 2, nullptr},
    {"kbsp_var.bmp", MakeKeyboardMap, 6, nullptr},
    {"kbpy_std_s.bmp", MakeKeyboardMap, 1, nullptr},
    {"kbpy_var_s.bmp", MakeKeyboardMap, 5, nullptr},
    {"kbsp_std_s.bmp", MakeKeyboardMap, 3, nullptr},
    {"kbsp_var_s.bmp", MakeKeyboardMap, 7, nullptr},
    {"keypad1.bmp", MakeKeypadPicture, 0, nullptr},
    {"keypad2.bmp", MakeKeypadPicture, 1, nullptr},
    {"qn_photo*.bmp", MakeKeypadPicture, 2, nullptr},
    {"tvredit_welcome.bmp", MakeWelcomePicture, 0x1F4E8C, "TOVRA SMART EDITOR"},
    {"vardel_welcome.bmp", MakeWelcomePicture, 0x2E7D32, "VARDEL NOTES"},
    {"qn_logo.bmp", MakeLogo, 0xC05000, "QN"},
    {"*.bmp", MakeScreenPicture, 0, nullptr},
    // programs: size in KiB and what they are
    {"TVREdit.exe", MakeProgram, 900, "Tovra Smart Editor"},
    {"TVREditUnInstall.exe", MakeProgram, 64, "Tovra Smart Editor UnInstall"},
    {"Vardel.exe", MakeProgram, 420, "Vardel Notes"},
    {"TypingTutor.exe", MakeProgram, 300, "Tovra Typing Tutorial"},
    {"DeVud.exe", MakeProgram, 180, "Tovra Pinyin Server"},
    {"qnaux.exe", MakeProgram, 48, "Vardel-Quarn Keypad Helper"},
    {"docconv.dll", MakeProgram, 150, "Tovra Document Converter"},
    {"*.chm", MakeHelpFile, 0, nullptr},
    // dictionaries and tables of the input engine
    {"pykeys.dic", MakeSyllableKeys, 0, nullptr},
    {"pyextra.dic", MakeSyllableCharacters, 0, nullptr},
    {"gbkflat.dic", MakeCharacterDictionary, 0, nullptr},
    {"sortord.dic", MakeSortOrder, 0, nullptr},
    {"pyfuzzy.dic", MakeFuzzyPairs, 0, nullptr},
    {"pyabbr.dic", MakeAbbreviations, 0, nullptr},
    {"zidef.dic", MakeCharacterDefinitions, 0, nullptr},
    {"zipy.tab", MakePinyinText, 0, nullptr},
    {"zipy_gbk.tab", MakePinyinTable, 0, nullptr},
    {"zipy_b5.tab", MakePinyinTable, 1, nullptr},
    {"bihua.tab", MakeStrokeTable, 0, nullptr},
    {"gbk2big5.tab", MakeConversionTable, kGbkToBig5, nullptr},
    {"big52gbk.tab", MakeConversionTable, kBig5ToGbk, nullptr},
    {"gbbig5.cvt", MakeConversionTable, kGb2312ToBig5, nullptr},
    {"big5gb.cvt", MakeConversionTable, kBig5ToGb2312, nullptr},
    {"bujian.dat", MakeComponentList, 0, nullptr},
    {"bujian.idx", MakeComponentIndex, 0, nullptr},
    {"bujian_gbk.dat", MakeGbDecompositions, 0, nullptr},
    {"bujian_b5.dat", MakeOtherDecompositions, 0, "CP950"},
    {"bujian_ext.dat", MakeOtherDecompositions, 0, "GBK"},
    {"bujian_map.dat", MakeComponentUse, 0, nullptr},
    {"bujian_ord.dat", MakeComponentOrder, 0, nullptr},
    {"bujian_std1.dat", MakeStandardComponents, 1, nullptr},
    {"bujian_std2.dat", MakeStandardComponents, 2, nullptr},
    {"bujian_std3.dat", MakeStandardComponents, 3, nullptr},
    {"bujian_std4.dat", MakeStandardComponents, 4, nullptr},
    {"workdata.dat", MakeWorkData, 0, nullptr},
    // the word base
    {"CiZuFlat.igb", MakePhraseFile, 0, nullptr},
    {"pycizudic.idx", MakeWordBaseIndex, 0, nullptr},
    {"py2_3ZiCi1stZuMu.idx", MakeFirstLetterIndex, 0, nullptr},
};

bool MakeNamed(const std::string &fileName, Bytes *out)
{
    for (const Rule &rule : kRules)
        if (fnmatch(rule.pattern, fileName.c_str(), 0) == 0)
            return rule.make(rule, fileName, out);
    return Fail("no rule makes this file");
}

// Leaves a file that already has these bytes alone, so that the packer's time check does
// not repack what did not change.
bool WriteOutput(const std::string &path, const Bytes &bytes)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (file) {
        Bytes old(bytes.size() + 1);
        size_t got = std::fread(old.data(), 1, old.size(), file);
        std::fclose(file);
        if (got == bytes.size() && std::equal(bytes.begin(), bytes.end(), old.begin()))
            return true;
    }
    file = std::fopen(path.c_str(), "wb");
    if (!file)
        return Fail("cannot write " + path);
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    return ok ? true : Fail("cannot write " + path);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-sample-data SOURCES_DIR OUT_DIR\n");
        return 2;
    }
    gSourceDir = argv[1];
    if (!LoadSources()) {
        std::fprintf(stderr, "make-sample-data: %s\n", gFailure.c_str());
        return 1;
    }
    std::vector<std::string> files(std::begin(kManifestFiles), std::end(kManifestFiles));
    int failed = 0;
    for (const std::string &name : files) {
        if (name == kAtlasFile)
            continue;
        Bytes bytes;
        if (!MakeNamed(name, &bytes) || !WriteOutput(std::string(argv[2]) + "/" + name, bytes)) {
            std::fprintf(stderr, "make-sample-data: %s: %s\n", name.c_str(), gFailure.c_str());
            ++failed;
        }
    }
    return failed ? 1 : 0;
}
