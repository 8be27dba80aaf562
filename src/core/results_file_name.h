// What Save Results proposes and reports: the first file name of a session, made from
// the main keyword, and the status text after a save.
#pragma once

#include <string>

// The main keyword as a CSV file name: every byte a file name cannot hold (a path
// separator, a control byte, and the characters other desktops refuse, so the file can
// be copied anywhere) becomes "_", a leading dot (a hidden file) too, and the name is
// cut to what a file system holds without splitting a UTF-8 character. Empty for an
// empty keyword.
std::string ProposedResultsFileName(const std::string& mainKeyword);

// "Saved 41 rows to /home/ann/golf clubs.csv" ("1 row" for one).
std::string SavedStatusText(int rows, const std::string& fileName);
