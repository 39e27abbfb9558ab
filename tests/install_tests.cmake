# Tests of the program as installed: the version both programs print, the
# menu entry checked by desktop-file-validate, and the tree `cmake --install`
# lays out under a prefix.

add_test(NAME cli_version COMMAND kararisu-cli --version)
set_tests_properties(cli_version PROPERTIES
  PASS_REGULAR_EXPRESSION "^kararisu-cli ${PROJECT_VERSION}\n$")
if(TARGET kararisu)
  # No display is set: --version is answered before any window exists.
  add_test(NAME gui_version COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY
           --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb $<TARGET_FILE:kararisu> --version)
  set_tests_properties(gui_version PROPERTIES
    PASS_REGULAR_EXPRESSION "^kararisu ${PROJECT_VERSION}\n$")
endif()

find_program(KARARISU_DESKTOP_FILE_VALIDATE desktop-file-validate)
if(KARARISU_DESKTOP_FILE_VALIDATE)
  add_test(NAME desktop_file_validate
           COMMAND ${KARARISU_DESKTOP_FILE_VALIDATE} ${PROJECT_SOURCE_DIR}/data/kararisu.desktop)
  # It warns on stdout and still exits 0; any output is a failure here.
  set_tests_properties(desktop_file_validate PROPERTIES FAIL_REGULAR_EXPRESSION ".")
else()
  add_test(NAME desktop_file_validate COMMAND ${CMAKE_COMMAND} -E echo
           "desktop-file-validate is not installed (tools/deps.sh test)")
  set_tests_properties(desktop_file_validate PROPERTIES SKIP_REGULAR_EXPRESSION "not installed")
endif()

add_test(NAME install_tree COMMAND ${CMAKE_COMMAND}
         -DBUILD_DIR=${PROJECT_BINARY_DIR} -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/install-tree
         -DGUI=${KARARISU_GUI} -DMAN=${KARARISU_MAN_PAGES}
         -P ${CMAKE_CURRENT_SOURCE_DIR}/check_install.cmake)

# The bash completion offers the commands, a command's options and their values.
find_program(KARARISU_BASH bash)
if(KARARISU_BASH)
  add_test(NAME bash_completion COMMAND ${KARARISU_BASH} -c [[
    source "$1"
    complete_words() { COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _kararisu_cli; echo "${COMPREPLY[*]}"; }
    complete_words "$2" me
    complete_words "$2" reduce --sa
    complete_words "$2" palette x --format j
    ]] completion ${PROJECT_SOURCE_DIR}/data/kararisu-cli.bash $<TARGET_FILE:kararisu-cli>)
  set_tests_properties(bash_completion PROPERTIES
    PASS_REGULAR_EXPRESSION "^merge
--save-palette
jasc
$")
endif()
