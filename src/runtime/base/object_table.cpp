// Numbered object tables and ANY_NUMBER list records (see object_table.h).
#include "runtime/base/object_table.h"

#include "runtime/base/heap.h"

bool init_object_table(ObjectTable* table, unsigned record_size, int capacity, int growth) {
    table->record_size = record_size;
    table->growth = growth;
    table->any_list = 0;
    table->slots = static_cast<char*>(heap_alloc(runtime_heap, static_cast<unsigned long>(record_size) * capacity, true));
    table->capacity = table->slots ? capacity : 0;
    return table->slots != 0;
}

void* allocate_list_record(ListNode** head, unsigned record_size) {
    ListNode* node = static_cast<ListNode*>(heap_alloc(object_list_heap, sizeof(ListNode) + record_size, true));
    if (!node) return 0;
    node->next = *head;
    node->prev = 0;
    if (*head) (*head)->prev = node;
    *head = node;
    return list_record(node);
}

void free_list_record(ListNode** head, void* record) {
    ListNode* node = list_node(record);
    if (node == *head) {
        *head = node->next;
        if (*head) (*head)->prev = 0;
    } else {
        if (node->prev) node->prev->next = node->next;
        if (node->next) node->next->prev = node->prev;
    }
    heap_free(object_list_heap, node);
}

bool is_list_record(ObjectTable* table, ObjectNumber x) {
    for (ListNode* node = table->any_list; node; node = node->next) {
        if (reinterpret_cast<ObjectNumber>(list_record(node)) == x) return true;
    }
    return false;
}

void* reserve_slot(ObjectTable* table, ObjectNumber n) {
    if (n == ANY_NUMBER) return allocate_list_record(&table->any_list, table->record_size);
    if (n < 0 || n > 0x7fffffff - table->growth) return 0;
    if (n >= table->capacity) {
        int capacity = static_cast<int>(n) + table->growth;
        void* grown = heap_realloc(runtime_heap, table->slots, static_cast<unsigned long>(table->record_size) * capacity, true);
        if (!grown) return 0;
        table->slots = static_cast<char*>(grown);
        table->capacity = capacity;
    }
    return table->slots + static_cast<unsigned long>(n) * table->record_size;
}

void* find_object(ObjectTable* table, ObjectNumber x) {
    void* record;
    if (x >= 0 && x < table->capacity) {
        record = table->slots + static_cast<unsigned long>(x) * table->record_size;
    } else if (is_list_record(table, x)) {
        record = reinterpret_cast<void*>(x);
    } else {
        return 0;
    }
    return record_handle(record) ? record : 0;
}

ObjectNumber record_number(ObjectTable* table, void* record) {
    char* r = static_cast<char*>(record);
    if (table->slots && r >= table->slots && r < table->slots + static_cast<unsigned long>(table->capacity) * table->record_size) {
        return static_cast<ObjectNumber>((r - table->slots) / table->record_size);
    }
    return reinterpret_cast<ObjectNumber>(record);
}

void release_slot(ObjectTable* table, ObjectNumber x) {
    if (x >= 0 && x < table->capacity) {
        *reinterpret_cast<void**>(table->slots + static_cast<unsigned long>(x) * table->record_size) = 0;
    } else if (is_list_record(table, x)) {
        free_list_record(&table->any_list, reinterpret_cast<void*>(x));
    }
}
