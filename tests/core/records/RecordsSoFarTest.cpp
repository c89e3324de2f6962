// A second thread following a reading: it is given every record once, in the order made,
// through every growth of the array and after a reading that starts again, and it is never
// given a record that is not there.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "records/RecordsSoFar.h"

namespace {

class NameLog : public RecordsSoFar::Follower {
public:
    void Look(std::span<const CoinRecord> records) override
    {
        ++runs;
        for (const CoinRecord& r : records)
            names.emplace_back(r.Get(CoinField::Name));
    }
    void Forget() override
    {
        ++forgotten;
        names.clear();
    }

    std::vector<std::string> names;
    int runs = 0;
    int forgotten = 0;
};

// What a follower is given of the records `reading` makes on a thread of its own.
template <class Reading>
NameLog Followed(RecordsSoFar& soFar, Reading reading)
{
    std::thread thread(reading);
    NameLog log;
    soFar.Follow(log);
    thread.join();
    return log;
}

std::vector<std::string> Made(const std::string& prefix, int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(prefix + std::to_string(i));
    return names;
}

// The reading side: records named as Made names them, added one by one.
void AddMade(RecordsSoFar& soFar, std::vector<CoinRecord>& records, const std::string& prefix, int count)
{
    for (const std::string& name : Made(prefix, count))
        soFar.Add(records, CoinRecord::FromTexts({name}));
}

}  // namespace

TEST(RecordsSoFarTest, TheFollowerIsGivenEveryRecordOnceInOrderThroughGrowthAndAStartAgain)
{
    // Not a whole number of runs, and the array starts empty, so it grows many times while the
    // follower looks; the first attempt is dropped part way, as a file found not to be UTF-8 is.
    const int dropped = 3 * static_cast<int>(RecordsSoFar::kRun) + 17;
    const int kept = 5 * static_cast<int>(RecordsSoFar::kRun) + 5;
    RecordsSoFar soFar;
    std::vector<CoinRecord> records;
    const NameLog log = Followed(soFar, [&] {
        AddMade(soFar, records, "first ", dropped);
        soFar.Drop(records);
        for (int i = 0; i < kept; ++i) {
            if (i == 100)
                soFar.Reserve(records, 3 * RecordsSoFar::kRun);
            soFar.Add(records, CoinRecord::FromTexts({"kept " + std::to_string(i)}));
        }
        soFar.End(records);
    });
    EXPECT_EQ(log.names, Made("kept ", kept));
    EXPECT_EQ(log.forgotten, 1);
    EXPECT_GE(log.runs, 2);  // given while the reading went on, not all at the end
}

TEST(RecordsSoFarTest, AReadingThatEndsWithoutRecordsOrFailsEndsTheFollowing)
{
    for (const int made : {0, 10}) {
        RecordsSoFar soFar;
        std::vector<CoinRecord> records;
        const NameLog log = Followed(soFar, [&] {
            AddMade(soFar, records, "n", made);
            // A reading that failed part way hands over what it made, as its result keeps it.
            soFar.End(records);
        });
        EXPECT_EQ(log.names, Made("n", made));
    }
    // One that threw ends with nothing to give, and the follower is not left waiting.
    RecordsSoFar soFar;
    EXPECT_TRUE(Followed(soFar, [&] { soFar.End({}); }).names.empty());
}
