// Shared support of the host unit tests and fuzz targets: the runtime's heaps and string
// scratch as start-up makes them, fresh for each test, and a sink for the preferences writer.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "runtime/base/heap.h"
#include "runtime/base/strings.h"

inline void start_host_runtime() {
    runtime_heap = heap_create(kRuntimeHeapSize);
    object_list_heap = heap_create(kObjectListHeapSize);
    init_string_scratch();
}

// A PreferenceSink that appends the bytes to the std::string given as its context.
inline void collect(void* context, const char* bytes, unsigned length) {
    static_cast<std::string*>(context)->append(bytes, length);
}

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override { start_host_runtime(); }
    void TearDown() override {
        heap_destroy(object_list_heap);
        heap_destroy(runtime_heap);
        object_list_heap = runtime_heap = 0;
        scratch_position = 0;
    }
};
