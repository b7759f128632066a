# Our own code builds with every warning on. `make test` and CI turn warnings into errors;
# a plain `cmake` build (a packager's Release build with another compiler) does not, so a
# new compiler's false warning cannot stop it.
option(QUILLON_WARNINGS_AS_ERRORS "Treat compiler warnings as errors on our own code" OFF)

function(quillon_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(QUILLON_WARNINGS_AS_ERRORS)
        target_compile_options(${target} PRIVATE -Werror)
        # GCC 12 at -O3 reports overlapping copies inside std::string concatenations
        # ("literal" + std::string) that cannot overlap (GCC bug 105329): still shown,
        # never an error.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            target_compile_options(${target} PRIVATE -Wno-error=restrict)
        endif()
    endif()
endfunction()
