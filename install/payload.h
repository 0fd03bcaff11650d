/* Payload resources: every file the wizard installs, and the data it needs for itself,
   is one zlib stream stored as a resource of type "TEXT". */
#ifndef TOVRA_PAYLOAD_H
#define TOVRA_PAYLOAD_H

#include <windows.h>

#include "install/payload_limits.h"

/* Buffer capacities of the payload readers. The host-side packer refuses product data
   that would not fit them, so a build never carries a payload its reader can't take. */
enum : unsigned long {
    kAtlasCapacity = TOVRA_ATLAS_CAPACITY,
    kAtlasBytes = TOVRA_ATLAS_BYTES,
    kAgreementCapacity = TOVRA_AGREEMENT_CAPACITY,
    kSpeechPackageCapacity = TOVRA_SPEECH_PACKAGE_CAPACITY,
    kScratchBytes = TOVRA_SCRATCH_BYTES,
};

/* Bytes of payload resource `identifier` as loaded in the module, or null when there
   is none. The only finder of resources in the program. */
const void *FindPayload(HMODULE module, int identifier, DWORD *size);

/* Inflates payload `identifier` of the program's own module into buffer. Returns
   zlib's status: 0 on success, with the inflated length in *length. */
int InflatePayload(int identifier, void *buffer, unsigned long capacity, unsigned long *length);

/* Inflates payload `identifier` into file, open for writing, a piece of at most chunkBytes
   at a time through chunk: no file needs a buffer of its size. 1 when the whole stream is
   written; 0 with the system's error, ERROR_INVALID_DATA for a missing or damaged stream. */
int InflatePayloadInto(HANDLE file, int identifier, void *chunk, unsigned long chunkBytes);

struct ProgramProtection;

/* Writes data to fullPath, or (when fullPath is null) to the install folder joined with
   fileName, with the asked attributes, replacing any old file in one step. With
   protection, the new file gets the program files' access list before its first byte. 1
   on success, 0 on failure, the old file then as it was. */
int WriteInstallFile(const char *fileName, const void *data, unsigned long length,
                     int readOnly, int hidden, const char *fullPath,
                     const ProgramProtection *protection = nullptr);

/* InflatePayload, then WriteInstallFile; nothing on disk changes when inflation fails. */
int ExtractPayload(int identifier, const char *fileName, void *buffer, unsigned long capacity,
                   int readOnly, int hidden, const char *fullPath);

#endif
