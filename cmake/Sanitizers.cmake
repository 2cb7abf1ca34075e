# With VOR_SANITIZE every target is built with ASan and UBSan; UB aborts the run.
if(VOR_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
