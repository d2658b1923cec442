#include "DataSetTestSupport.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Long random runs of editing and navigation, checked step by step against a
// plain list of lines: positions after insert, delete and cancel, and what
// lands in the file, must never drift.
class DataSetSequences : public ::testing::TestWithParam<unsigned>
{
protected:
    std::string RandomValue()
    {
        std::string value(1 + random() % 4, 'a');
        for (char& c : value)
            c = static_cast<char>('a' + random() % 26);
        return value;
    }
    static std::string Stored(const std::string& value) { return value + std::string(4 - value.size(), ' '); }
    void ExpectInStep(int step)
    {
        ASSERT_EQ(TextsOf(dataSet), model) << "step " << step;
        if (model.empty()) {
            ASSERT_TRUE(dataSet.IsEmpty()) << "step " << step;
            return;
        }
        ASSERT_EQ(dataSet.CurrentLine(), current) << "step " << step;
        std::string shown = model[static_cast<size_t>(current)];
        shown.erase(shown.find_last_not_of(' ') + 1);
        ASSERT_EQ(dataSet.Fields(0).AsString(), shown) << "step " << step;
    }

    std::mt19937 random{GetParam()};
    TTempFolder folder;
    TFixedFormatDataSet dataSet;
    std::vector<std::string> model{"one ", "two ", "thre"};
    int current = 0;
};

TEST_P(DataSetSequences, StoreFollowsAPlainListOfLines)
{
    Prepare(dataSet, folder, "one \r\ntwo \r\nthre\r\n", {"V=4"});
    dataSet.Open();
    for (int step = 0; step < 400; ++step) {
        const int count = static_cast<int>(model.size());
        switch (random() % 9) {
        case 0: {
            const std::string value = RandomValue();
            dataSet.Insert();
            dataSet.Fields(0).SetAsString(value);
            dataSet.Post();
            current = count == 0 ? 0 : current;
            model.insert(model.begin() + current, Stored(value));
            break;
        }
        case 1: {
            const std::string value = RandomValue();
            dataSet.Append();
            dataSet.Fields(0).SetAsString(value);
            dataSet.Next(); // leaving the new row stores it
            model.push_back(Stored(value));
            current = count;
            break;
        }
        case 2:
            if (count == 0)
                break;
            dataSet.Delete();
            model.erase(model.begin() + current);
            current = std::min(current, static_cast<int>(model.size()) - 1);
            break;
        case 3: {
            if (count == 0)
                break;
            const std::string value = RandomValue();
            dataSet.Edit();
            dataSet.Fields(0).SetAsString(value);
            dataSet.Post();
            model[static_cast<size_t>(current)] = Stored(value);
            break;
        }
        case 4:
            dataSet.Insert();
            dataSet.Fields(0).SetAsString(RandomValue());
            dataSet.Cancel();
            break;
        case 5:
            dataSet.Next();
            current = std::min(current + 1, count - 1);
            break;
        case 6:
            dataSet.Prior();
            current = std::max(current - 1, 0);
            break;
        case 7:
            dataSet.SetRecNo(1 + static_cast<int>(random() % 8));
            if (count > 0)
                current = static_cast<int>(std::distance(
                    dataSet.Lines().begin(),
                    std::find_if(dataSet.Lines().begin(), dataSet.Lines().end(),
                                 [&](const auto& line) { return line.Id == dataSet.RecNo(); })));
            break;
        case 8: {
            dataSet.Close();
            std::string expected;
            for (const std::string& line : model)
                expected += line + "\r\n";
            ASSERT_EQ(ReadBytes(folder.Path("data.txt")), expected) << "step " << step;
            dataSet.Open();
            current = 0;
            break;
        }
        }
        ExpectInStep(step);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, DataSetSequences, ::testing::Values(1u, 7u, 42u, 2026u));

} // namespace
