// Host-side packer: turns each product file into the one zlib stream (level 9) that the
// program carries as a "TEXT" resource, and refuses product data that would not fit the
// buffer of the payload's reader. It also packs the payload index: for every payload the
// checksum of its stream and its inflated size, so that the program can tell a damaged
// setup file at start-up and the room an install needs before it writes anything.
//
//   pack-payload DATA_DIR OUT_DIR     every payload of the program, OUT_DIR/<id>.z
//   pack-payload --one IN OUT          one file, for test fixtures
//   pack-payload --replace PAYLOAD_DIR ID FILE OUT_DIR
//                                      FILE as payload ID, with an index to match
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "install/payload_limits.h"
#include "wizard/resource.h"

namespace {

struct Payload {
    int identifier;
    const char *fileName;
};

const Payload kManifestPayloads[] = {
#define MANIFEST_PROGRESS(position)
#define MANIFEST_ROW(identifier, file, attributes, kind) {identifier, file},
#include "install/manifest_table.def"
#undef MANIFEST_PROGRESS
#undef MANIFEST_ROW
};

// Smallest and largest inflated size the program's reader of this payload accepts.
void AcceptedSize(int identifier, unsigned long *least, unsigned long *most)
{
    *least = 0;
    switch (identifier) {
    case IDR_GLYPH_ATLAS:
        *least = *most = TOVRA_ATLAS_BYTES;
        break;
    case IDR_AGREEMENT_CHINESE:
    case IDR_AGREEMENT_ENGLISH:
        *most = TOVRA_AGREEMENT_CAPACITY - 1;
        break;
    case IDR_SPEECH_PACKAGE:
        *most = TOVRA_SPEECH_PACKAGE_CAPACITY;
        break;
    default:
        *most = TOVRA_SCRATCH_BYTES;
        break;
    }
}

bool ReadFile(const std::string &path, std::vector<unsigned char> *bytes)
{
    FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->insert(bytes->end(), chunk, chunk + got);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool WriteFile(const std::string &path, const unsigned char *data, size_t length)
{
    std::string temporary = path + ".tmp";
    FILE *file = std::fopen(temporary.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(data, 1, length, file) == length;
    ok = std::fclose(file) == 0 && ok;
    return ok && std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool Deflate(const std::vector<unsigned char> &input, std::vector<unsigned char> *stream)
{
    uLongf length = compressBound(input.size());
    stream->resize(length);
    if (compress2(stream->data(), &length, input.data(), input.size(), 9) != Z_OK)
        return false;
    stream->resize(length);
    return true;
}

bool PackFile(const std::string &in, const std::string &out, unsigned long least, unsigned long most)
{
    std::vector<unsigned char> bytes;
    if (!ReadFile(in, &bytes)) {
        std::fprintf(stderr, "pack-payload: cannot read %s\n", in.c_str());
        return false;
    }
    if (bytes.size() < least || bytes.size() > most) {
        if (least == most)
            std::fprintf(stderr, "pack-payload: %s has %zu bytes; its reader takes exactly %lu\n",
                         in.c_str(), bytes.size(), most);
        else
            std::fprintf(stderr, "pack-payload: %s has %zu bytes; its reader takes at most %lu\n",
                         in.c_str(), bytes.size(), most);
        return false;
    }
    std::vector<unsigned char> stream;
    if (!Deflate(bytes, &stream) || !WriteFile(out, stream.data(), stream.size())) {
        std::fprintf(stderr, "pack-payload: cannot write %s\n", out.c_str());
        return false;
    }
    return true;
}

bool IsNewer(const std::string &a, const std::string &b)
{
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0)
        return false;
    return sa.st_mtim.tv_sec > sb.st_mtim.tv_sec ||
           (sa.st_mtim.tv_sec == sb.st_mtim.tv_sec && sa.st_mtim.tv_nsec >= sb.st_mtim.tv_nsec);
}

// Packs one payload unless its stream is already newer than its product file.
// Returns 1 when packed, 0 when up to date, -1 on failure.
int PackPayload(const std::string &dataDir, const std::string &outDir, int identifier, const char *fileName)
{
    std::string in = dataDir + "/" + fileName;
    std::string out = outDir + "/" + std::to_string(identifier) + ".z";
    if (IsNewer(out, in))
        return 0;
    unsigned long least, most;
    AcceptedSize(identifier, &least, &most);
    return PackFile(in, out, least, most) ? 1 : -1;
}

void PutWord(std::vector<unsigned char> *bytes, unsigned long word)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes->push_back(static_cast<unsigned char>(word >> shift & 0xFF));
}

// One record per payload, in the order of the list: identifier, crc32 of the stream's
// bytes, inflated size; each a 32-bit little-endian word. Read from the streams and
// product files as they now are, whether packed this time or before.
bool MakeIndex(const std::string &dataDir, const std::string &outDir, const std::vector<Payload> &payloads,
               std::vector<unsigned char> *index)
{
    for (const Payload &payload : payloads) {
        std::string in = dataDir + "/" + payload.fileName;
        std::string out = outDir + "/" + std::to_string(payload.identifier) + ".z";
        std::vector<unsigned char> stream;
        struct stat product;
        if (!ReadFile(out, &stream) || stat(in.c_str(), &product) != 0) {
            std::fprintf(stderr, "pack-payload: cannot read %s or %s for the index\n", out.c_str(), in.c_str());
            return false;
        }
        PutWord(index, static_cast<unsigned long>(payload.identifier));
        PutWord(index, crc32(0L, stream.data(), static_cast<uInt>(stream.size())));
        PutWord(index, static_cast<unsigned long>(product.st_size));
    }
    return true;
}

// Packs the index as a payload of its own; 1 when its stream changed, 0 when not, -1 on
// failure.
int PackIndex(const std::string &dataDir, const std::string &outDir, const std::vector<Payload> &payloads)
{
    std::vector<unsigned char> index, stream, before;
    if (!MakeIndex(dataDir, outDir, payloads, &index))
        return -1;
    if (index.size() > TOVRA_PAYLOAD_INDEX_CAPACITY) {
        std::fprintf(stderr, "pack-payload: %zu payloads do not fit the index's %d bytes\n", payloads.size(),
                     TOVRA_PAYLOAD_INDEX_CAPACITY);
        return -1;
    }
    std::string out = outDir + "/" + std::to_string(IDR_PAYLOAD_INDEX) + ".z";
    if (!Deflate(index, &stream))
        return -1;
    if (ReadFile(out, &before) && before == stream)
        return 0;
    if (!WriteFile(out, stream.data(), stream.size())) {
        std::fprintf(stderr, "pack-payload: cannot write %s\n", out.c_str());
        return -1;
    }
    return 1;
}

int PackAll(const std::string &dataDir, const std::string &outDir)
{
    std::vector<Payload> payloads(std::begin(kManifestPayloads), std::end(kManifestPayloads));
    payloads.push_back({IDR_SPEECH_PACKAGE, TOVRA_SPEECH_PACKAGE_FILE});

    int packed = 0, failed = 0;
    for (const Payload &payload : payloads) {
        int result = PackPayload(dataDir, outDir, payload.identifier, payload.fileName);
        if (result < 0)
            ++failed;
        else
            packed += result;
    }
    if (failed)
        return 1;
    int index = PackIndex(dataDir, outDir, payloads);
    if (index < 0)
        return 1;
    packed += index;
    // The stamp moves only when a stream changed, so the resource scripts recompile then only.
    std::string stamp = outDir + "/payload.stamp";
    struct stat st;
    if (packed || stat(stamp.c_str(), &st) != 0) {
        if (!WriteFile(stamp, reinterpret_cast<const unsigned char *>("packed\n"), 7))
            return 1;
    }
    std::printf("pack-payload: %d of %zu payloads packed into %s\n", packed, payloads.size(), outDir.c_str());
    return 0;
}

bool Inflate(const std::vector<unsigned char> &stream, std::vector<unsigned char> *bytes, unsigned long capacity)
{
    bytes->resize(capacity);
    uLongf length = capacity;
    if (uncompress(bytes->data(), &length, stream.data(), stream.size()) != Z_OK)
        return false;
    bytes->resize(length);
    return true;
}

// A build's own file in place of one payload of the product data: FILE packed into
// OUT_DIR/<identifier>.z, and beside it the index of PAYLOAD_DIR with that payload's
// record made to match. The two executables each carry their own build of the file.
int PackReplacement(const std::string &payloadDir, int identifier, const std::string &in, const std::string &outDir)
{
    std::string out = outDir + "/" + std::to_string(identifier) + ".z";
    std::string indexName = "/" + std::to_string(IDR_PAYLOAD_INDEX) + ".z";
    std::vector<unsigned char> stream, indexStream, index;
    struct stat product;
    if (!PackFile(in, out, 0, TOVRA_SCRATCH_BYTES) || !ReadFile(out, &stream) || stat(in.c_str(), &product) != 0 ||
        !ReadFile(payloadDir + indexName, &indexStream) ||
        !Inflate(indexStream, &index, TOVRA_PAYLOAD_INDEX_CAPACITY)) {
        std::fprintf(stderr, "pack-payload: cannot replace payload %d with %s\n", identifier, in.c_str());
        return 1;
    }
    bool found = false;
    for (size_t at = 0; at + TOVRA_PAYLOAD_RECORD_BYTES <= index.size(); at += TOVRA_PAYLOAD_RECORD_BYTES) {
        unsigned long recorded = index[at] | index[at + 1] << 8 | index[at + 2] << 16 |
                                 static_cast<unsigned long>(index[at + 3]) << 24;
        if (recorded != static_cast<unsigned long>(identifier))
            continue;
        std::vector<unsigned char> words;
        PutWord(&words, crc32(0L, stream.data(), static_cast<uInt>(stream.size())));
        PutWord(&words, static_cast<unsigned long>(product.st_size));
        std::copy(words.begin(), words.end(), index.begin() + at + 4);
        found = true;
    }
    std::vector<unsigned char> packed;
    if (!found || !Deflate(index, &packed) || !WriteFile(outDir + indexName, packed.data(), packed.size())) {
        std::fprintf(stderr, "pack-payload: payload %d is not in the index of %s\n", identifier, payloadDir.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::string(argv[1]) == "--one")
        return PackFile(argv[2], argv[3], 0, TOVRA_SCRATCH_BYTES) ? 0 : 1;
    if (argc == 3)
        return PackAll(argv[1], argv[2]);
    if (argc == 6 && std::string(argv[1]) == "--replace")
        return PackReplacement(argv[2], std::atoi(argv[3]), argv[4], argv[5]);
    std::fprintf(stderr, "usage: pack-payload DATA_DIR OUT_DIR | pack-payload --one IN OUT | "
                         "pack-payload --replace PAYLOAD_DIR ID FILE OUT_DIR\n");
    return 2;
}
