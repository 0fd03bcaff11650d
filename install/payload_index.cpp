#include "install/payload_index.h"

#include <windows.h>
#include <zlib.h>

#include "install/manifest.h"
#include "install/payload.h"
#include "wizard/resource.h"

int LoadPayloadIndex(PayloadIndex *index)
{
    index->length = 0;
    unsigned long length = 0;
    if (InflatePayload(IDR_PAYLOAD_INDEX, index->bytes, kPayloadIndexCapacity, &length) != Z_OK ||
        length % kPayloadRecordBytes != 0)
        return 0;
    index->length = length;
    return 1;
}

int PayloadRecordCount(const PayloadIndex *index)
{
    return int(index->length / kPayloadRecordBytes);
}

/* The words are little-endian whatever the machine that packed them. */
static unsigned long WordAt(const unsigned char *bytes)
{
    unsigned long word = 0;
    for (int k = 3; k >= 0; --k)
        word = word << 8 | bytes[k];
    return word;
}

PayloadRecord PayloadRecordAt(const PayloadIndex *index, int i)
{
    const unsigned char *record = index->bytes + size_t(i) * kPayloadRecordBytes;
    return {WordAt(record), WordAt(record + 4), WordAt(record + 8)};
}

int InflatedSizeOf(const PayloadIndex *index, unsigned long identifier, unsigned long *size)
{
    for (int i = 0; i < PayloadRecordCount(index); ++i) {
        PayloadRecord record = PayloadRecordAt(index, i);
        if (record.identifier == identifier) {
            *size = record.inflatedSize;
            return 1;
        }
    }
    return 0;
}

static int IsRecorded(const PayloadIndex *index, unsigned long identifier)
{
    unsigned long size = 0;
    return InflatedSizeOf(index, identifier, &size);
}

static int EveryPayloadRecorded(const PayloadIndex *index)
{
    for (int i = 0; i < kManifestStepCount; ++i)
        if (IsManifestRow(kManifestSteps[i]) && !IsRecorded(index, unsigned(kManifestSteps[i].identifier)))
            return 0;
    return IsRecorded(index, IDR_SPEECH_PACKAGE);
}

/* About 20 MB of resources, read once by zlib's crc32: some milliseconds at start-up. */
int PayloadIntact()
{
    PayloadIndex index;
    if (!LoadPayloadIndex(&index) || !EveryPayloadRecorded(&index))
        return 0;
    HMODULE module = GetModuleHandleA(nullptr);
    for (int i = 0; i < PayloadRecordCount(&index); ++i) {
        PayloadRecord record = PayloadRecordAt(&index, i);
        DWORD size = 0;
        const void *bytes = FindPayload(module, int(record.identifier), &size);
        if (!bytes || crc32(0L, static_cast<const Bytef *>(bytes), size) != record.checksum)
            return 0;
    }
    return 1;
}
