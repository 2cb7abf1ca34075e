# vor_sanitize(target): with VOR_SANITIZE the target is built with ASan and UBSan, and
# whatever links it links the sanitizer runtimes too; UB aborts the run.
function(vor_sanitize target)
  if(NOT VOR_SANITIZE)
    return()
  endif()
  target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=undefined
                                           -fno-omit-frame-pointer)
  target_link_options(${target} PUBLIC -fsanitize=address,undefined)
endfunction()
