# vor_warnings(target): the project's warning set, errors in CI.
function(vor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(VOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
