# Every target of the project links this. Warnings become errors with
# KARARISU_WERROR (CI and tools/test.sh turn it on; a newer compiler's new
# warnings then do not break a user's build).
option(KARARISU_WERROR "Treat compiler warnings as errors" OFF)
add_library(kararisu_warnings INTERFACE)
target_compile_options(kararisu_warnings INTERFACE
  -Wall
  -Wextra
  $<$<BOOL:${KARARISU_WERROR}>:-Werror>
  -Wshadow            # locals hiding members are easy to miss in long handlers
  -Wnon-virtual-dtor  # the ports are interfaces deleted through their base
  -Wold-style-cast    # a cast says which conversion it means
  -Wcast-align
  -Wunused
  -Woverloaded-virtual  # a handler that hides the toolkit's overload never runs
  -Wdouble-promotion  # the matchers' arithmetic stays in the type it was written in
  -Wformat=2          # printf formats are literals the compiler checks
  # Not -Wnull-dereference: GCC 12 reports it inside libstdc++'s stream
  # iterators and Qt's application cast, where no pointer can be null.
  $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>  # GCC 12 misfires on std::string concatenation
)
