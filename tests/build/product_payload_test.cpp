// Reads the built executables as data files: every payload resource is there, inflates
// within its reader's capacity and matches what the payload index records of it, and the
// glyph atlas holds GNU Unifont's glyphs in the cells the wizard looks them up in.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <map>
#include <string>
#include <vector>
#include <zlib.h>

#include "install/manifest.h"
#include "install/payload.h"
#include "install/payload_index.h"
#include "wizard/resource.h"

namespace {

struct Payload {
    int identifier;
    unsigned long least, most;
};

std::vector<Payload> DesignedPayloads()
{
    std::vector<Payload> payloads;
    for (int i = 0; i < kManifestStepCount; ++i) {
        int identifier = kManifestSteps[i].identifier;
        if (identifier == IDR_GLYPH_ATLAS)
            payloads.push_back({identifier, kAtlasBytes, kAtlasBytes});
        else if (identifier == IDR_AGREEMENT_CHINESE || identifier == IDR_AGREEMENT_ENGLISH)
            payloads.push_back({identifier, 1, kAgreementCapacity - 1});
        else if (identifier)
            payloads.push_back({identifier, 0, kScratchBytes});
    }
    payloads.push_back({IDR_SPEECH_PACKAGE, 1, kSpeechPackageCapacity});
    return payloads;
}

BOOL CALLBACK CountResource(HMODULE, LPCSTR, LPSTR, LONG_PTR count)
{
    ++*reinterpret_cast<int *>(count);
    return TRUE;
}

// The index as the program reads it at start-up.
void ReadIndex(HMODULE module, PayloadIndex *index)
{
    DWORD size = 0;
    const void *stream = FindPayload(module, IDR_PAYLOAD_INDEX, &size);
    ASSERT_NE(nullptr, stream) << "no payload index";
    uLongf length = kPayloadIndexCapacity;
    ASSERT_EQ(Z_OK, uncompress(index->bytes, &length, static_cast<const Bytef *>(stream), size));
    index->length = length;
}

void CheckPayloads(const char *exe)
{
    SCOPED_TRACE(exe);
    HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, module);
    std::vector<Payload> payloads = DesignedPayloads();
    PayloadIndex index;
    ReadIndex(module, &index);
    ASSERT_EQ(int(payloads.size()), PayloadRecordCount(&index)) << "the index records another set of payloads";
    std::vector<unsigned char> buffer(kScratchBytes);
    for (const Payload &payload : payloads) {
        SCOPED_TRACE(payload.identifier);
        DWORD size = 0;
        const void *stream = FindPayload(module, payload.identifier, &size);
        ASSERT_NE(nullptr, stream);
        uLongf length = payload.most;
        ASSERT_EQ(Z_OK, uncompress(buffer.data(), &length, static_cast<const Bytef *>(stream), size));
        EXPECT_GE(length, payload.least);

        // What start-up checks and the room an install asks for rest on these.
        unsigned long recordedSize = 0;
        ASSERT_TRUE(InflatedSizeOf(&index, unsigned(payload.identifier), &recordedSize)) << "not in the index";
        EXPECT_EQ(length, recordedSize);
        bool checksumFound = false;
        for (int i = 0; i < PayloadRecordCount(&index); ++i) {
            PayloadRecord record = PayloadRecordAt(&index, i);
            if (record.identifier == unsigned(payload.identifier))
                checksumFound = record.checksum == crc32(0L, static_cast<const Bytef *>(stream), size);
        }
        EXPECT_TRUE(checksumFound) << "the index has another checksum of the stream";
    }
    int count = 0;
    EnumResourceNamesA(module, "TEXT", CountResource, reinterpret_cast<LONG_PTR>(&count));
    EXPECT_EQ(int(payloads.size()) + 1, count) << "a payload resource that no reader knows";
    FreeLibrary(module);
}

TEST(ProductPayload, EveryPayloadOfThe32BitProductInflatesWithinItsCapacity)
{
    CheckPayloads(PRODUCT_WIN32);
}

TEST(ProductPayload, EveryPayloadOfThe64BitTwinInflatesWithinItsCapacity)
{
    CheckPayloads(PRODUCT_WIN64);
}

// Unifont's glyphs by code point, as hex rows: 32 digits for 8 x 16, 64 for 16 x 16.
std::map<unsigned, std::string> LoadUnifont(const std::vector<unsigned> &wanted)
{
    std::map<unsigned, std::string> glyphs;
    FILE *file = fopen(UNIFONT_HEX, "r");
    if (!file)
        return glyphs;
    char line[512];
    while (fgets(line, sizeof line, file)) {
        unsigned codePoint = strtoul(line, nullptr, 16);
        for (unsigned w : wanted)
            if (w == codePoint)
                glyphs[codePoint] = std::string(strchr(line, ':') + 1, strcspn(strchr(line, ':') + 1, "\r\n"));
    }
    fclose(file);
    return glyphs;
}

// Ink of one pixel row of cell n, 16 bits, leftmost pixel in the top bit.
unsigned CellRow(const std::vector<unsigned char> &atlas, int n, int row)
{
    int top = 16 * (n / 32);
    size_t at = size_t(top / 944) * 60416 + size_t(top % 944 + row) * 64 + 2 * (n % 32);
    return ~(atlas[at] << 8 | atlas[at + 1]) & 0xFFFF;
}

unsigned GlyphRow(const std::string &hex, int row)
{
    if (hex.size() == 64)
        return strtoul(hex.substr(row * 4, 4).c_str(), nullptr, 16);
    return strtoul(hex.substr(row * 2, 2).c_str(), nullptr, 16) << 4; // half-width: centred
}

TEST(ProductPayload, AtlasCellsHoldUnifontGlyphs)
{
    HMODULE module = LoadLibraryExA(PRODUCT_WIN64, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, module);
    DWORD size = 0;
    const void *stream = FindPayload(module, IDR_GLYPH_ATLAS, &size);
    std::vector<unsigned char> atlas(kAtlasCapacity);
    uLongf length = atlas.size();
    ASSERT_EQ(Z_OK, uncompress(atlas.data(), &length, static_cast<const Bytef *>(stream), size));
    FreeLibrary(module);
    ASSERT_EQ(kAtlasBytes, length);

    struct Cell {
        int n;
        unsigned codePoint; // 0: the cell is blank
        const char *what;
    };
    const Cell cells[] = {
        {0, 0x3000, "0xA1A1, ideographic space"},
        {2 * 94 + 32, 0xFF21, "0xA3C1, full-width A"},
        {564, 0x0410, "0xA7A1, Cyrillic A, half-width"},
        {470 + 3, 0x2500, "0xA9A4 in the cells of row 6"},
        {658, 0x554A, "0xB0A1, the first hanzi"},
        {658 + 94 * (0xD7 - 0xB0) + (0xF9 - 0xA1), 0x5EA7, "0xD7F9"},
        {7425, 0x9F44, "0xF7FE, the last cell of row 87"},
        {7456, 0x9555, "0xE946"},
        {7457, 0x2500, "0xA9A4"},
        {470, 0, "0xA9A1 is not assigned"},
        {7426, 0, "unused"},
        {7551, 0, "the last cell"},
    };
    std::vector<unsigned> wanted;
    for (const Cell &cell : cells)
        wanted.push_back(cell.codePoint);
    std::map<unsigned, std::string> glyphs = LoadUnifont(wanted);
    ASSERT_FALSE(glyphs.empty()) << "cannot read " << UNIFONT_HEX;

    for (const Cell &cell : cells) {
        SCOPED_TRACE(cell.what);
        for (int row = 0; row < 16; ++row) {
            unsigned expected = cell.codePoint ? GlyphRow(glyphs[cell.codePoint], row) : 0;
            ASSERT_EQ(expected, CellRow(atlas, cell.n, row)) << "row " << row;
        }
    }
}

} // namespace
