#pragma once

#include <ostream>
#include <string>
#include <vector>

// Where a run of rozaro-cli finds its files and writes its output.
struct CliEnvironment
{
    // The Addon folder beside the executable (the income-type list and the templates).
    std::string addonFolder;
    std::ostream& out; // results: totals, listings
    std::ostream& err; // the program's messages and questions, usage
};

// Runs one rozaro-cli command line (without the program name) and returns the
// exit status.
int RunCli(const std::vector<std::string>& args, const CliEnvironment& env);
