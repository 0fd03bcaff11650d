#include "install/payload.h"

#include <stdio.h>
#include <string.h>
#include <zlib.h>

#include "foundation/path_text.h"
#include "install/file_replace.h"
#include "install/program_protection.h"
#include "wizard/wizard_state.h"

const void *FindPayload(HMODULE module, int identifier, DWORD *size)
{
    *size = 0;
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(identifier), "TEXT");
    if (!info)
        return nullptr;
    HGLOBAL loaded = LoadResource(module, info);
    if (!loaded)
        return nullptr;
    *size = SizeofResource(module, info);
    return LockResource(loaded);
}

int InflatePayload(int identifier, void *buffer, unsigned long capacity, unsigned long *length)
{
    DWORD size = 0;
    const void *source = FindPayload(GetModuleHandleA(nullptr), identifier, &size);
    uLongf inflated = capacity;
    /* A missing resource gives an empty source, which uncompress refuses. */
    int status = uncompress(static_cast<Bytef *>(buffer), &inflated,
                            static_cast<const Bytef *>(source), source ? size : 0);
    *length = status == Z_OK ? inflated : 0;
    return status;
}

/* Each piece is written as soon as it is inflated: zlib keeps its own 32 KiB window of what
   came before, so the whole file is never held. */
static int InflateStreamInto(HANDLE file, z_stream *stream, void *chunk, unsigned long chunkBytes)
{
    for (;;) {
        stream->next_out = static_cast<Bytef *>(chunk);
        stream->avail_out = uInt(chunkBytes);
        int status = inflate(stream, Z_NO_FLUSH);
        /* Z_BUF_ERROR here is a stream that ends before its end mark. */
        if (status != Z_OK && status != Z_STREAM_END) {
            SetLastError(ERROR_INVALID_DATA);
            return 0;
        }
        unsigned long produced = chunkBytes - stream->avail_out;
        if (produced && !WriteWhole(file, chunk, produced))
            return 0;
        if (status == Z_STREAM_END)
            return 1;
    }
}

int InflatePayloadInto(HANDLE file, int identifier, void *chunk, unsigned long chunkBytes)
{
    DWORD size = 0;
    const void *source = FindPayload(GetModuleHandleA(nullptr), identifier, &size);
    z_stream stream = {};
    if (!source || inflateInit(&stream) != Z_OK) {
        SetLastError(source ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_DATA);
        return 0;
    }
    stream.next_in = static_cast<Bytef *>(const_cast<void *>(source));
    stream.avail_in = uInt(size);
    int written = InflateStreamInto(file, &stream, chunk, chunkBytes);
    DWORD error = GetLastError();
    inflateEnd(&stream);
    SetLastError(error);
    return written;
}

static int CopyPath(char *path, const char *source)
{
    size_t length = strlen(source);
    if (length >= kPathBytes)
        return 0;
    memcpy(path, source, length + 1);
    return 1;
}

/* The new bytes go to a copy beside the file and take its place in one rename: a write
   that stops half-way (a full disk, the program ended) leaves the old file as it was. */
int WriteInstallFile(const char *fileName, const void *data, unsigned long length,
                     int readOnly, int hidden, const char *fullPath, const ProgramProtection *protection)
{
    char path[kPathBytes], newCopy[kPathBytes];
    int fits = fullPath ? CopyPath(path, fullPath) : JoinPath(path, gInstallFolder, fileName);
    if (!fits || !CopyPathBeside(newCopy, path, kNewCopy, 0))
        return 0;
    DWORD old = GetFileAttributesA(path);
    if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    /* A copy a stopped write left would refuse to be created anew if read-only. */
    ForceDelete(newCopy);
    HANDLE file = CreateNewCopy(newCopy, AttributesForNewFile(old, readOnly, hidden));
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    if (protection)
        ProtectProgramFile(protection, newCopy);
    if (!CloseNewCopy(file, newCopy, WriteWhole(file, data, length)))
        return 0;
    if (!PutInPlace(newCopy, path, old, nullptr)) {
        ForceDelete(newCopy);
        return 0;
    }
    return 1;
}

int ExtractPayload(int identifier, const char *fileName, void *buffer, unsigned long capacity,
                   int readOnly, int hidden, const char *fullPath)
{
    unsigned long length = 0;
    if (InflatePayload(identifier, buffer, capacity, &length) != Z_OK)
        return 0;
    return WriteInstallFile(fileName, buffer, length, readOnly, hidden, fullPath);
}
