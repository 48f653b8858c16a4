// Numbered object tables: each kind of runtime object (windows, gadgets, menus, images, fonts)
// maps small program-chosen numbers to fixed-size records whose first field is the platform
// handle (0 = no object). ANY_NUMBER asks for a record outside the table; the record's address
// is then the object's number.
#pragma once

#include <stddef.h>
#include <stdint.h>

typedef intptr_t ObjectNumber;

const ObjectNumber ANY_NUMBER = -1;

struct ListNode {
    ListNode* next;
    ListNode* prev;
    // the kind's record follows
};

struct ObjectTable {
    int capacity;
    int growth;
    unsigned record_size;
    char* slots;          // capacity records from the runtime heap, zero-filled
    ListNode* any_list;   // records of ANY_NUMBER objects, newest first
};

// Allocates the zeroed slot array. Returns false when the heap cannot supply it.
bool init_object_table(ObjectTable* table, unsigned record_size, int capacity, int growth);

// The record to fill for object n (growing the table, or a new list record for ANY_NUMBER);
// null when memory runs out or n is neither a number nor ANY_NUMBER.
void* reserve_slot(ObjectTable* table, ObjectNumber n);
// The live object's record, or null. Numbers outside the table count only when they are
// records handed out for ANY_NUMBER and still listed.
void* find_object(ObjectTable* table, ObjectNumber x);
// The number of a record that reserve_slot handed out.
ObjectNumber record_number(ObjectTable* table, void* record);
void release_slot(ObjectTable* table, ObjectNumber x);
// Whether x is a record on the kind's ANY_NUMBER list (live or not).
bool is_list_record(ObjectTable* table, ObjectNumber x);

// The handle stored at the start of a record. Each kind's record says so with
// static_assert(handle_first(offsetof(Record, member), sizeof(Record::member))).
constexpr bool handle_first(size_t offset, size_t size) { return offset == 0 && size == sizeof(void*); }
inline void* record_handle(void* record) { return record ? *static_cast<void**>(record) : 0; }

void* allocate_list_record(ListNode** head, unsigned record_size);
void free_list_record(ListNode** head, void* record);
inline void* list_record(ListNode* node) { return node + 1; }
inline ListNode* list_node(void* record) { return static_cast<ListNode*>(record) - 1; }
