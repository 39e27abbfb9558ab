add_library(kararisu_sanitizers INTERFACE)
if(KARARISU_SANITIZE)
  target_compile_options(kararisu_sanitizers INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kararisu_sanitizers INTERFACE -fsanitize=address,undefined)
endif()
