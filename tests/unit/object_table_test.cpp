// Numbered object tables and ANY_NUMBER records.
#include "runtime/base/object_table.h"

#include "unit_support.h"

namespace {
struct Record {
    void* handle;
    int value;
};

class ObjectTableTest : public RuntimeTest {
protected:
    void SetUp() override {
        RuntimeTest::SetUp();
        ASSERT_TRUE(init_object_table(&table, sizeof(Record), 10, 30));
    }
    Record* create(ObjectNumber n, intptr_t handle) {
        Record* r = static_cast<Record*>(reserve_slot(&table, n));
        if (r) r->handle = reinterpret_cast<void*>(handle);
        return r;
    }
    ObjectTable table;
};
}  // namespace

TEST_F(ObjectTableTest, NumbersBeyondTheCapacityGrowTheTableByTheStep) {
    create(9, 0x90);
    EXPECT_EQ(10, table.capacity);
    create(27, 0x27);
    EXPECT_EQ(57, table.capacity);
    EXPECT_EQ(reinterpret_cast<void*>(0x90), record_handle(find_object(&table, 9)));
    EXPECT_EQ(reinterpret_cast<void*>(0x27), record_handle(find_object(&table, 27)));
    EXPECT_EQ(nullptr, find_object(&table, 40));   // grown but never created
    EXPECT_EQ(nullptr, find_object(&table, 5000)); // beyond the capacity
    EXPECT_EQ(nullptr, reserve_slot(&table, -7));
}

TEST_F(ObjectTableTest, AnyNumberRecordsAreListedNewestFirstAndUnlinkCleanly) {
    Record* a = create(ANY_NUMBER, 1);
    Record* b = create(ANY_NUMBER, 2);
    Record* c = create(ANY_NUMBER, 3);
    ObjectNumber na = record_number(&table, a), nb = record_number(&table, b), nc = record_number(&table, c);
    EXPECT_NE(na, nb);
    EXPECT_GE(na, table.capacity);
    EXPECT_EQ(c, list_record(table.any_list));
    release_slot(&table, nb);  // a middle record
    EXPECT_EQ(c, find_object(&table, nc));
    EXPECT_EQ(a, find_object(&table, na));
    EXPECT_EQ(nullptr, find_object(&table, nb));
    release_slot(&table, nc);  // the head
    EXPECT_EQ(a, list_record(table.any_list));
    EXPECT_EQ(nullptr, table.any_list->prev);
    release_slot(&table, na);
    EXPECT_EQ(nullptr, table.any_list);
}

TEST_F(ObjectTableTest, ReleasingTwiceOrReleasingNothingDoesNothing) {
    create(3, 0x33);
    release_slot(&table, 3);
    release_slot(&table, 3);
    release_slot(&table, 8);
    release_slot(&table, 123456);
    EXPECT_EQ(nullptr, find_object(&table, 3));
    EXPECT_EQ(10, table.capacity);
}

TEST_F(ObjectTableTest, RecordsWithAZeroHandleAreNoObject) {
    create(2, 0);
    EXPECT_EQ(nullptr, find_object(&table, 2));
    EXPECT_EQ(2, record_number(&table, reserve_slot(&table, 2)));
}
