#pragma once

#include "dataset/FixedFormatDataSet.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

// A private folder under the system's temporary folder, removed afterwards.
class TTempFolder
{
public:
    TTempFolder()
    {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() /
                 ("rozaro-dataset-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~TTempFolder()
    {
        std::error_code error;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, error);
        std::filesystem::remove_all(m_path, error);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    std::string Path(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& Folder() const { return m_path; }
    // Every name in the folder, so a test can see that no temporary file stayed.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path))
            names.push_back(entry.path().filename().string());
        return names;
    }

private:
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> DetailSchema()
{
    return {"RecordType=1",     "AFM=9",          "FILLER=1",    "SurName=18",     "Name=9",
            "FatherName=3",     "City=10",        "Street=16",   "StreetNo=5",     "TK=5",
            "TypeInc=2",        "AkaInc=10",      "Xartosimo=8", "OGAXart=7",      "Kratiseis=9",
            "Kathares=10",      "ForosParakr=9",  "ForosAnal=9", "Ypokatastima=6", "Hmeres=3",
            "OGAForouParakr=8", "OGAForouAnal=8", "FILLER2=4"};
}

inline std::vector<std::string> TextsOf(const TFixedFormatDataSet& dataSet)
{
    std::vector<std::string> texts;
    for (const auto& line : dataSet.Lines())
        texts.push_back(line.Text);
    return texts;
}

// A store over a file in `folder` that holds `bytes`.
inline void Prepare(TFixedFormatDataSet& dataSet, const TTempFolder& folder, const std::string& bytes,
                    std::vector<std::string> schema = {}, const std::string& name = "data.txt")
{
    WriteBytes(folder.Path(name), bytes);
    dataSet.SetFileName(folder.Path(name));
    dataSet.SetSchema(std::move(schema));
}

// Records the name of every hook as it runs.
inline void RecordHooks(TFixedFormatDataSet& dataSet, std::vector<std::string>& log)
{
    auto hook = [&log](const char* name) {
        return [&log, name](TFixedFormatDataSet&) { log.push_back(name); };
    };
    dataSet.BeforeOpen = hook("BeforeOpen");
    dataSet.AfterOpen = hook("AfterOpen");
    dataSet.BeforeClose = hook("BeforeClose");
    dataSet.AfterClose = hook("AfterClose");
    dataSet.BeforeInsert = hook("BeforeInsert");
    dataSet.AfterInsert = hook("AfterInsert");
    dataSet.BeforeEdit = hook("BeforeEdit");
    dataSet.AfterEdit = hook("AfterEdit");
    dataSet.BeforePost = hook("BeforePost");
    dataSet.AfterPost = hook("AfterPost");
    dataSet.BeforeCancel = hook("BeforeCancel");
    dataSet.AfterCancel = hook("AfterCancel");
    dataSet.BeforeDelete = hook("BeforeDelete");
    dataSet.AfterDelete = hook("AfterDelete");
    dataSet.BeforeScroll = hook("BeforeScroll");
    dataSet.AfterScroll = hook("AfterScroll");
    dataSet.BeforeRefresh = hook("BeforeRefresh");
    dataSet.AfterRefresh = hook("AfterRefresh");
    dataSet.OnNewRecord = hook("OnNewRecord");
}

// The message of whatever `action` throws, or "" when it throws nothing.
template <class Action> std::string MessageOf(Action action)
{
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return {};
}
