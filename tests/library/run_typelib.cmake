# Compares `orvelle typelib` with the checked-in type library, tests/library/typelib.expected.
#   cmake -DORVELLE=... -DEXPECTED=typelib.expected -DWORK_DIR=... -P run_typelib.cmake
# With -DUPDATE=ON it writes the current output to EXPECTED instead. After adding or changing a
# class, member, dispatch id, type, help string or enumeration, regenerate the file with
#   cmake --build build/asan --target update_typelib_expected
# and review its diff before committing it.
execute_process(COMMAND ${ORVELLE} typelib
  OUTPUT_VARIABLE actual ERROR_VARIABLE error_text RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvelle typelib: exit status ${status}\n${error_text}")
endif()
if(UPDATE)
  file(WRITE ${EXPECTED} "${actual}")
  message(STATUS "wrote ${EXPECTED}")
  return()
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  file(MAKE_DIRECTORY ${WORK_DIR})
  file(WRITE ${WORK_DIR}/typelib.actual "${actual}")
  execute_process(COMMAND diff -u ${EXPECTED} ${WORK_DIR}/typelib.actual OUTPUT_VARIABLE difference)
  message(FATAL_ERROR "the type library differs from ${EXPECTED} (regenerate with "
                      "`cmake --build build/asan --target update_typelib_expected` if the change is meant)\n"
                      "${difference}")
endif()
