# Warnings are errors on our own code; third-party targets keep their own flags.
function(quillon_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()
