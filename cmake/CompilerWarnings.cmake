# vor_warnings(target): the project's warning set, errors in CI. Every project target
# calls it, so it also applies the sanitizers of a VOR_SANITIZE build.
function(vor_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                           $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Wold-style-cast>)
  if(VOR_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  vor_sanitize(${target})
endfunction()
