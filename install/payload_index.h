/* The payload index that the build packs beside the payload (itself a payload resource):
   for every payload resource the crc32 of its stream and its inflated size. */
#ifndef TOVRA_PAYLOAD_INDEX_H
#define TOVRA_PAYLOAD_INDEX_H

#include "install/payload_limits.h"

enum : unsigned long {
    kPayloadRecordBytes = TOVRA_PAYLOAD_RECORD_BYTES,
    kPayloadIndexCapacity = TOVRA_PAYLOAD_INDEX_CAPACITY,
};

struct PayloadIndex {
    unsigned long length;
    unsigned char bytes[kPayloadIndexCapacity];
};

struct PayloadRecord {
    unsigned long identifier;
    unsigned long checksum;       /* crc32 of the resource's bytes */
    unsigned long inflatedSize;
};

/* Inflates the index of the program's own module; 0 when it is missing or damaged. */
int LoadPayloadIndex(PayloadIndex *index);

int PayloadRecordCount(const PayloadIndex *index);
PayloadRecord PayloadRecordAt(const PayloadIndex *index, int i);

/* The inflated size of payload identifier; 0 when the index has no record of it. */
int InflatedSizeOf(const PayloadIndex *index, unsigned long identifier, unsigned long *size);

/* Every payload resource has the bytes the build recorded, and every payload the program
   reads is recorded; 0 when one differs, is missing or the index itself is damaged: the
   setup file was damaged on its way to the user. */
int PayloadIntact();

#endif
