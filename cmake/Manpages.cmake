# SPDX-License-Identifier: GPL-3.0-or-later
# A manual page, checked by mandoc's lint in the tests and installed gzipped
# (gzip -n: the same bytes on every build) under man1 or LANG/man1.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
find_program(MANDOC_EXECUTABLE mandoc)

function(lumiro_manpage source)
  cmake_parse_arguments(PAGE "" "LANG" "" ${ARGN})
  # A page written at build time is named by its full path.
  if(NOT IS_ABSOLUTE ${source})
    set(source ${CMAKE_CURRENT_SOURCE_DIR}/${source})
  endif()
  get_filename_component(name ${source} NAME)
  set(folder man1)
  if(PAGE_LANG)
    set(folder ${PAGE_LANG}/man1)
  endif()
  set(packed ${CMAKE_CURRENT_BINARY_DIR}/${folder}/${name}.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/${folder}
    COMMAND ${GZIP_EXECUTABLE} -9n -c ${source} > ${packed}
    DEPENDS ${source} VERBATIM)
  string(MAKE_C_IDENTIFIER "manpage_${folder}_${name}" target)
  add_custom_target(${target} ALL DEPENDS ${packed} ${source})
  install(FILES ${packed} DESTINATION ${CMAKE_INSTALL_MANDIR}/${folder})
  if(BUILD_TESTING)
    add_test(NAME mandoc_lint_${target}
      COMMAND ${MANDOC_EXECUTABLE} -T lint -W warning ${source})
  endif()
endfunction()
