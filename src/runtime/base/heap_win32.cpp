// Win32 private heaps behind the runtime's heap interface.
#include <windows.h>
#include "runtime/base/heap.h"

HeapHandle runtime_heap;
HeapHandle object_list_heap;
unsigned long heap_refusals;

namespace {
void* counted(void* block) {
    if (!block) ++heap_refusals;
    return block;
}
}  // namespace

HeapHandle heap_create(unsigned long initial_size) { return HeapCreate(0, initial_size, 0); }

void heap_destroy(HeapHandle heap) {
    if (heap) HeapDestroy(heap);
}

void* heap_alloc(HeapHandle heap, unsigned long size, bool zero) {
    if (!heap) return counted(0);
    return counted(HeapAlloc(heap, zero ? HEAP_ZERO_MEMORY : 0, size));
}

void* heap_realloc(HeapHandle heap, void* block, unsigned long size, bool zero) {
    if (!heap) return counted(0);
    if (!block) return heap_alloc(heap, size, zero);
    return counted(HeapReAlloc(heap, zero ? HEAP_ZERO_MEMORY : 0, block, size));
}

void heap_free(HeapHandle heap, void* block) {
    if (heap && block) HeapFree(heap, 0, block);
}
