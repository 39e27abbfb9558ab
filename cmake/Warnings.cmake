# Every target of the project links this: warnings are errors everywhere.
add_library(kararisu_warnings INTERFACE)
target_compile_options(kararisu_warnings INTERFACE
  -Wall
  -Wextra
  -Werror
  -Wshadow            # a local hiding a member has bitten palette code before
  -Wnon-virtual-dtor  # the ports are interfaces deleted through their base
)
