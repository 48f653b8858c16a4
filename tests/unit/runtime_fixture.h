// A fresh runtime heap, object-list heap and string scratch for each host test.
#pragma once

#include <gtest/gtest.h>

#include "runtime/base/heap.h"
#include "runtime/base/strings.h"

class RuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        runtime_heap = heap_create(kRuntimeHeapSize);
        object_list_heap = heap_create(kObjectListHeapSize);
        init_string_scratch();
    }
    void TearDown() override {
        heap_destroy(object_list_heap);
        heap_destroy(runtime_heap);
        object_list_heap = runtime_heap = 0;
        scratch_position = 0;
    }
};
