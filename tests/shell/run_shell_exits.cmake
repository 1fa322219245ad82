# Checks the exit statuses of `orvelle shell` for inputs that are not scripts it can read.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/folder)
file(WRITE ${WORK_DIR}/fine.orv "? 1\n")

# expect_shell(STATUS STDERR-SUBSTRING ARGS...)
function(expect_shell expected says)
  execute_process(COMMAND ${ORVELLE} shell ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET
                  INPUT_FILE ${WORK_DIR}/fine.orv)
  if(NOT status EQUAL expected)
    message(FATAL_ERROR "orvelle shell ${ARGN}: exit status ${status}, expected ${expected}\n${err}")
  endif()
  string(FIND "${err}" "${says}" where)
  if(where EQUAL -1)
    message(FATAL_ERROR "orvelle shell ${ARGN}: standard error lacks '${says}':\n${err}")
  endif()
endfunction()

expect_shell(0 "" ${WORK_DIR}/fine.orv)
expect_shell(0 "")
expect_shell(2 "is a directory, not a script" ${WORK_DIR}/folder)
expect_shell(2 "cannot open" ${WORK_DIR}/missing.orv)
expect_shell(2 "usage: orvelle shell" ${WORK_DIR}/fine.orv ${WORK_DIR}/fine.orv)
