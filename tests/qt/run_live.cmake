# `orvelle run`: one offscreen frame with the classic colours equals what `orvelle render`
# writes for the same form, one in the desktop's colours does not, the events the form's controls raise while loading print as the shell prints them, and bad
# arguments or files fail with their statuses.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(ENV{QT_QPA_PLATFORM} offscreen)

execute_process(COMMAND ${ORVELLE} run --classic-colours --screenshot ${WORK_DIR}/run.png ${FORM}
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "orvelle run --screenshot: exit status ${status}\n${err}")
endif()
file(READ ${EXPECTED_OUTPUT} expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "orvelle run printed:\n${out}\nexpected:\n${expected}")
endif()

execute_process(COMMAND ${ORVELLE} render ${FORM} -o ${WORK_DIR}/render.png RESULT_VARIABLE status)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/run.png ${WORK_DIR}/render.png
  RESULT_VARIABLE differ)
if(NOT status EQUAL 0 OR NOT differ EQUAL 0)
  message(FATAL_ERROR "the frame of orvelle run --classic-colours differs from the image of orvelle render")
endif()

# The offscreen platform's palette is not the classic scheme: the form's system-colour
# background follows it.
execute_process(COMMAND ${ORVELLE} run --screenshot ${WORK_DIR}/desktop.png ${FORM} RESULT_VARIABLE status
                OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/desktop.png ${WORK_DIR}/render.png
  RESULT_VARIABLE differ)
if(NOT status EQUAL 0 OR differ EQUAL 0)
  message(FATAL_ERROR "orvelle run without --classic-colours: status ${status}, or its frame shows the classic colours")
endif()

# expect_status(STATUS SAYS TEXT ARGS...)
function(expect_status expected says)
  execute_process(COMMAND ${ORVELLE} run ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
  string(FIND "${err}" "${says}" where)
  if(NOT status EQUAL expected OR where EQUAL -1)
    message(FATAL_ERROR "orvelle run ${ARGN}: status ${status} (expected ${expected}), standard error:\n${err}")
  endif()
endfunction()
expect_status(2 "usage: orvelle run" --screenshot)
# An empty image path is a usage error rather than no screenshot (which would open a window).
execute_process(COMMAND ${ORVELLE} run --screenshot "" ${FORM} RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET
                TIMEOUT 20)
string(FIND "${err}" "usage: orvelle run" where)
if(NOT status EQUAL 2 OR where EQUAL -1)
  message(FATAL_ERROR "orvelle run --screenshot \"\" FORM: status ${status} (expected 2), standard error:\n${err}")
endif()
expect_status(2 "usage: orvelle run" ${FORM} --frobnicate)
expect_status(1 "error 53" --screenshot ${WORK_DIR}/x.png ${WORK_DIR}/no_such_form.json)
expect_status(1 "cannot write the image" --screenshot ${WORK_DIR}/no/such/folder/x.png ${FORM})
