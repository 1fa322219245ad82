# `orvelle run` with no display to open a window on says why and exits with status 1 (a build
# without the live host says that instead, with the same status); it never aborts.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                        ${ORVELLE} run ${FORM}
  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err TIMEOUT 60)
string(FIND "${err}" "orvelle run: " where)
if(NOT status EQUAL 1 OR NOT where EQUAL 0)
  message(FATAL_ERROR "orvelle run without a display: exit status ${status}, expected 1 with a message\n${err}")
endif()
