// The few file operations the program's logic needs.
#pragma once

#include <string>

// The folder of the running program's own file, with its trailing "/".
std::string ExecutableDirectory();

// True only for an existing file; a directory does not count.
bool IsExistingFile(const std::string& fileName);

// The whole file as bytes. Raises EFileStreamError naming the file and the cause.
std::string ReadWholeFile(const std::string& fileName);
