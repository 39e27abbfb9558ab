# Every target of the project links this: warnings are errors everywhere.
add_library(kararisu_warnings INTERFACE)
target_compile_options(kararisu_warnings INTERFACE
  -Wall
  -Wextra
  -Werror
  -Wshadow            # locals hiding members are easy to miss in long handlers
  -Wnon-virtual-dtor  # the ports are interfaces deleted through their base
  $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>  # GCC 12 misfires on std::string concatenation
)
