/* The block pool and the library lock.

   The pool keeps 96 last-in-first-out free lists, list k for blocks of 4k bytes, so every
   block under 384 bytes is recycled instead of going back to the process heap; larger
   blocks come from and go to the heap directly. Every block the pool takes from the heap
   is 8 bytes larger than asked, which also lets a list hold blocks asked with any size
   whose quarter is k. A free block's link to the next one of its list occupies its first
   pointer-size bytes: 4 on the 32-bit product, 8 on the 64-bit twin, both within the
   smallest block a counted string uses (20 bytes).

   The library lock is one re-entrant critical section for the whole foundation library,
   initialised on first use behind a one-byte flag; that first use must not race. */
#ifndef TOVRA_BLOCK_POOL_H
#define TOVRA_BLOCK_POOL_H

enum { kPoolSizeClasses = 96, kPoolLimit = 384, kHeapBlockExtra = 8 };

/* A block of at least size bytes, or null when the heap has none (size below 0 too). */
void *AllocateBlock(int size);
/* size must be the size the block was allocated with. A null block is ignored. */
void FreeBlock(void *block, int size);
/* Returns every pooled block to the process heap and leaves the lists empty. */
void CleanUpPool();

void EnterLibraryLock();
void LeaveLibraryLock();

/* Holds the library lock for the scope it lives in. */
struct LibraryLock {
    LibraryLock() { EnterLibraryLock(); }
    ~LibraryLock() { LeaveLibraryLock(); }
    LibraryLock(const LibraryLock &) = delete;
    LibraryLock &operator=(const LibraryLock &) = delete;
};

/* For tests only. After `successes` more blocks have been handed out, AllocateBlock
   fails until the countdown is set again; -1 turns the failures off. Not thread-safe. */
void SetAllocationFailureCountdown(int successes);
/* The first free block of a size class, null when the list is empty. */
void *FirstPooledBlock(int sizeClass);

#endif
