# Fails when a source file differs from what clang-format makes of it with the repository's
# .clang-format. Run from the test list, so `make test` (and CI) catch unformatted code.
if(NOT CLANG_FORMAT)
    message(FATAL_ERROR "clang-format was not found: scripts/install-deps.sh installs it")
endif()
set(sources "")
foreach(folder IN ITEMS src tests bench fuzz tools)
    file(GLOB_RECURSE found "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
    list(APPEND sources ${found})
endforeach()
execute_process(
    COMMAND ${CLANG_FORMAT} --dry-run --Werror --style=file ${sources}
    WORKING_DIRECTORY "${SOURCE_DIR}"
    RESULT_VARIABLE result
    ERROR_VARIABLE report)
if(NOT result EQUAL 0)
    string(REGEX MATCHALL "[^\n]*: error: code should be clang-formatted" lines "${report}")
    list(REMOVE_DUPLICATES lines)
    string(REPLACE ": error: code should be clang-formatted" "" lines "${lines}")
    string(REGEX REPLACE ":[0-9]+:[0-9]+" "" lines "${lines}")
    list(REMOVE_DUPLICATES lines)
    list(JOIN lines "\n  " listed)
    message(FATAL_ERROR "Not formatted (run clang-format -i on them):\n  ${listed}")
endif()
