// The runtime's heap interface. The product uses Win32 private heaps; the host build of the
// portable core uses the C library. Blocks from heap_realloc keep their contents.
#pragma once

typedef void* HeapHandle;

HeapHandle heap_create(unsigned long initial_size);
void heap_destroy(HeapHandle heap);
// zero: fill the new block (or, for a reallocation, its added part) with zero bytes.
void* heap_alloc(HeapHandle heap, unsigned long size, bool zero);
void* heap_realloc(HeapHandle heap, void* block, unsigned long size, bool zero);
void heap_free(HeapHandle heap, void* block);
// How many allocations and reallocations the heaps have refused since start-up: a step that
// needs room compares it before and after to learn whether it got all it asked for.
extern unsigned long heap_refusals;

// The runtime heap holds every table, string and buffer; the object-list heap holds the
// records of objects created with ANY_NUMBER. Both are set once at start-up, with these
// initial sizes, and grow as they fill.
extern HeapHandle runtime_heap;
extern HeapHandle object_list_heap;
const unsigned long kRuntimeHeapSize = 4000;
const unsigned long kObjectListHeapSize = 1024;
