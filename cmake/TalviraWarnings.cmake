# Warnings for the project's own targets; third-party headers stay quiet.
function(talvira_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-unused-parameter)
endfunction()
