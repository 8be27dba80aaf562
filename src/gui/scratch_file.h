// Where the last downloaded page is kept: "test.html" in the program's folder, or in the
// user's cache folder when the program's folder cannot be written (an installed program).
#pragma once

#include <string>

std::string ScratchFileName();
