// The call records found by handle: a record whose handle the service writes later is
// found once written, two records of one handle give the newer, and taking records out
// keeps the index and the published list in step with the chain.

#include <TnvCallRecords.h>

#include <gtest/gtest.h>

namespace {

constexpr HCALL kFirst = 0x10001;
constexpr HCALL kSecond = 0x10002;

} // namespace

TEST(CallRecords, RecordsAreFoundByHandleAndListedInOrder)
{
    TnvCallRecords records;
    TnvCallRecord* first = records.add(kFirst);
    TnvCallRecord* second = records.add(kSecond);
    EXPECT_EQ(records.add(kFirst), first) << "a known handle gets no second record";
    EXPECT_EQ(records.find(kFirst), first);
    EXPECT_EQ(records.find(kSecond), second);
    EXPECT_EQ(records.find(0x999), nullptr);
    EXPECT_EQ(records.list(), QStringList({"00000000", "00010001", "00010002"}));
    EXPECT_EQ(records.listed(1), kFirst);
    EXPECT_EQ(records.listed(2), kSecond);
    EXPECT_EQ(records.listed(3), 0u);
    EXPECT_EQ(records.position(kSecond), 2);
    EXPECT_EQ(records.position(0), -1) << "the no-call entry is no position";

    EXPECT_TRUE(records.unlist(kFirst));
    EXPECT_FALSE(records.unlist(kFirst));
    EXPECT_EQ(records.list(), QStringList({"00000000", "00010002"}));
    EXPECT_EQ(records.listed(1), kSecond);
    EXPECT_EQ(records.count(), 1);

    records.remove(first);
    EXPECT_EQ(records.find(kFirst), nullptr);
    EXPECT_FALSE(records.holds(first));
    EXPECT_TRUE(records.holds(second));
    EXPECT_EQ(records.keep(second).get(), second);
}

TEST(CallRecords, AHandleWrittenLaterIsFoundAndTheNewerRecordWins)
{
    TnvCallRecords records;
    // Two requests waiting for their handles: the newest is the one without a handle.
    TnvCallRecord* older = records.add(0);
    TnvCallRecord* newer = records.add(0);
    EXPECT_EQ(records.find(0), newer);
    EXPECT_EQ(records.list().size(), 1);

    // The service writes the handle into the record with its reply.
    newer->handle = kFirst;
    EXPECT_EQ(records.find(kFirst), newer);
    EXPECT_EQ(records.find(0), older);
    EXPECT_EQ(records.add(kFirst), newer);
    records.listHandle(*newer);
    records.listHandle(*newer);
    EXPECT_EQ(records.list(), QStringList({"00000000", "00010001"}));

    // A message made a record for the handle before the reply wrote it into the older
    // one: the chain finds the newer of the two, and the older once that one is gone.
    TnvCallRecord* announced = records.add(kSecond);
    older->handle = kSecond;
    EXPECT_EQ(records.find(kSecond), announced);
    records.remove(announced);
    EXPECT_EQ(records.find(kSecond), older);
    records.remove(older);
    EXPECT_EQ(records.find(kSecond), nullptr);
    EXPECT_EQ(records.find(0), nullptr);
    EXPECT_EQ(&records.current(), &records.sentinel()) << "the removed current record hands back to the sentinel";
}

TEST(CallRecords, TheSentinelStaysAndResetClearsEverything)
{
    TnvCallRecords records;
    TnvCallRecord* sentinel = &records.sentinel();
    records.remove(sentinel);
    EXPECT_TRUE(records.holds(sentinel));
    EXPECT_EQ(records.find(0), nullptr) << "the sentinel is never found";

    const TnvCallRecords::RecordPtr kept = records.keep(records.add(kFirst));
    records.retire(kept);
    EXPECT_EQ(records.find(kFirst), nullptr);
    EXPECT_FALSE(records.holds(kept.get()));

    records.add(kSecond);
    records.reset();
    EXPECT_EQ(records.find(kSecond), nullptr);
    EXPECT_EQ(records.count(), 0);
    EXPECT_EQ(records.list(), QStringList({"00000000"}));
    EXPECT_EQ(records.position(kSecond), -1);
}
