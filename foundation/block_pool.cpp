/* The block pool and the library lock. */
#include <windows.h>

#include <string.h>

#include "foundation/block_pool.h"

static CRITICAL_SECTION gLibraryLock;
static unsigned char gLibraryLockReady;
static void *gFreeLists[kPoolSizeClasses];
static int gAllocationFailureCountdown = -1;

void EnterLibraryLock()
{
    if (!gLibraryLockReady) {
        InitializeCriticalSection(&gLibraryLock);
        gLibraryLockReady = 1;
    }
    EnterCriticalSection(&gLibraryLock);
}

void LeaveLibraryLock()
{
    LeaveCriticalSection(&gLibraryLock);
}

/* The link to the next free block lives in the block's first bytes; memcpy keeps the
   compiler from assuming anything about the type of what is stored there. */
static void *NextFreeBlock(void *block)
{
    void *next;
    memcpy(&next, block, sizeof next);
    return next;
}

static void LinkFreeBlock(void *block, void *next)
{
    memcpy(block, &next, sizeof next);
}

static void *AllocateFromHeap(int size)
{
    return HeapAlloc(GetProcessHeap(), 0, (SIZE_T)size + kHeapBlockExtra);
}

static int AllocationMayProceed()
{
    if (gAllocationFailureCountdown < 0)
        return 1;
    if (gAllocationFailureCountdown == 0)
        return 0;
    --gAllocationFailureCountdown;
    return 1;
}

void *AllocateBlock(int size)
{
    if (size < 0 || !AllocationMayProceed())
        return nullptr;
    if (size >= kPoolLimit)
        return AllocateFromHeap(size);
    LibraryLock lock;
    void **list = &gFreeLists[size / 4];
    void *block = *list;
    if (!block)
        return AllocateFromHeap(size);
    *list = NextFreeBlock(block);
    return block;
}

void FreeBlock(void *block, int size)
{
    if (!block)
        return;
    if (size >= kPoolLimit) {
        HeapFree(GetProcessHeap(), 0, block);
        return;
    }
    LibraryLock lock;
    void **list = &gFreeLists[size / 4];
    LinkFreeBlock(block, *list);
    *list = block;
}

void CleanUpPool()
{
    for (int k = 0; k < kPoolSizeClasses; ++k) {
        if (!gFreeLists[k])
            continue;
        LibraryLock lock;
        while (void *block = gFreeLists[k]) {
            gFreeLists[k] = NextFreeBlock(block);
            HeapFree(GetProcessHeap(), 0, block);
        }
    }
}

void SetAllocationFailureCountdown(int successes)
{
    gAllocationFailureCountdown = successes < 0 ? -1 : successes;
}

void *FirstPooledBlock(int sizeClass)
{
    if (sizeClass < 0 || sizeClass >= kPoolSizeClasses)
        return nullptr;
    LibraryLock lock;
    return gFreeLists[sizeClass];
}
