// The runtime's heap interface over the C library, for the host build of the portable core.
// Each heap keeps its blocks in a list so that destroying it frees them all, as a Win32
// private heap does.
#include <stdlib.h>
#include <string.h>
#include "runtime/base/heap.h"

HeapHandle runtime_heap;
HeapHandle object_list_heap;
unsigned long heap_refusals;

namespace {
struct Block {
    Block* next;
    Block* prev;
    unsigned long size;
    unsigned long pad;
};
struct HostHeap {
    Block* blocks;
};

void* refused() {
    ++heap_refusals;
    return 0;
}

Block* header_of(void* p) { return static_cast<Block*>(p) - 1; }

void link(HostHeap* h, Block* b) {
    b->prev = 0;
    b->next = h->blocks;
    if (h->blocks) h->blocks->prev = b;
    h->blocks = b;
}

void unlink(HostHeap* h, Block* b) {
    if (b->prev) b->prev->next = b->next; else h->blocks = b->next;
    if (b->next) b->next->prev = b->prev;
}
}  // namespace

HeapHandle heap_create(unsigned long) { return calloc(1, sizeof(HostHeap)); }

void heap_destroy(HeapHandle heap) {
    HostHeap* h = static_cast<HostHeap*>(heap);
    if (!h) return;
    while (h->blocks) {
        Block* b = h->blocks;
        h->blocks = b->next;
        free(b);
    }
    free(h);
}

void* heap_alloc(HeapHandle heap, unsigned long size, bool zero) {
    if (!heap) return refused();
    Block* b = static_cast<Block*>(zero ? calloc(1, sizeof(Block) + size) : malloc(sizeof(Block) + size));
    if (!b) return refused();
    b->size = size;
    link(static_cast<HostHeap*>(heap), b);
    return b + 1;
}

void* heap_realloc(HeapHandle heap, void* block, unsigned long size, bool zero) {
    if (!heap) return refused();
    if (!block) return heap_alloc(heap, size, zero);
    HostHeap* h = static_cast<HostHeap*>(heap);
    Block* old = header_of(block);
    unsigned long old_size = old->size;
    unlink(h, old);
    Block* b = static_cast<Block*>(realloc(old, sizeof(Block) + size));
    if (!b) {
        link(h, old);
        return refused();
    }
    if (zero && size > old_size) memset(reinterpret_cast<char*>(b + 1) + old_size, 0, size - old_size);
    b->size = size;
    link(h, b);
    return b + 1;
}

void heap_free(HeapHandle heap, void* block) {
    if (!heap || !block) return;
    Block* b = header_of(block);
    unlink(static_cast<HostHeap*>(heap), b);
    free(b);
}
