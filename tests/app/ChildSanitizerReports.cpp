#include "ChildSanitizerReports.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "TemporaryFolder.h"

namespace {

constexpr const char* SanitizerOptions[] = {"ASAN_OPTIONS", "UBSAN_OPTIONS"};

bool Sanitized()
{
    for (const char* Name : SanitizerOptions)
        if (std::getenv(Name) != nullptr)
            return true;
    return false;
}

std::unique_ptr<TTemporaryFolder>& ReportFolder()
{
    static std::unique_ptr<TTemporaryFolder> Folder;
    return Folder;
}

// The text of every report written so far, each removed once read.
std::string TakeReports()
{
    std::string Reports;
    if (!ReportFolder())
        return Reports;
    for (const auto& Entry : std::filesystem::directory_iterator(ReportFolder()->Path())) {
        const std::string Name = Entry.path().filename().string();
        Reports += "--- " + Name + "\n" + ReportFolder()->Read(Name);
        std::filesystem::remove(Entry.path());
    }
    return Reports;
}

class TReportCheck : public testing::EmptyTestEventListener {
    // The test's programs have ended (or were killed, which leaves no report) by now.
    void OnTestEnd(const testing::TestInfo&) override
    {
        const std::string Reports = TakeReports();
        if (!Reports.empty())
            ADD_FAILURE() << "a program the test started met a sanitizer finding:\n" << Reports;
    }
};

const bool ReportCheckAdded = [] {
    testing::UnitTest::GetInstance()->listeners().Append(new TReportCheck);
    return true;
}();

}

std::vector<std::string> SanitizerReportEnvironment()
{
    if (!Sanitized())
        return {};
    if (!ReportFolder())
        ReportFolder() = std::make_unique<TTemporaryFolder>();
    // A later option overrides an earlier one of the same name.
    std::vector<std::string> Environment;
    for (const char* Name : SanitizerOptions) {
        const char* Options = std::getenv(Name);
        Environment.push_back(std::string(Name) + "=" + (Options != nullptr ? Options : "") +
                              ":log_path=" + (*ReportFolder() / "report"));
    }
    return Environment;
}
