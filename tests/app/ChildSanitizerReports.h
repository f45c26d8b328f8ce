#pragma once

#include <string>
#include <vector>

// On a sanitized build the programs the tests start would print their
// sanitizers' findings onto a standard error that tests read or throw away.
// These entries send each finding into a file of a folder of this test
// process's own instead (empty when the tests run without sanitizers); a test
// during which such a file appears fails with its text.
std::vector<std::string> SanitizerReportEnvironment();
