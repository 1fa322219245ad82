# Checks the exit statuses and output files of `orvelle render`.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(expect_status expected)
  execute_process(COMMAND ${ORVELLE} render ${ARGN} RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
  if(NOT status EQUAL expected)
    message(FATAL_ERROR "orvelle render ${ARGN}: exit status ${status}, expected ${expected}\n${err}")
  endif()
endfunction()

expect_status(0 ${FORM} -o ${WORK_DIR}/run.png)
expect_status(0 ${FORM} --design -o ${WORK_DIR}/design.png)
foreach(image run design)
  if(NOT EXISTS ${WORK_DIR}/${image}.png)
    message(FATAL_ERROR "orvelle render wrote no ${image}.png")
  endif()
endforeach()
expect_status(2 ${FORM})
expect_status(2 -o ${WORK_DIR}/x.png)
expect_status(2 ${FORM} -o ${WORK_DIR}/x.png --frobnicate)
expect_status(1 ${WORK_DIR}/no_such_form.json -o ${WORK_DIR}/x.png)
file(WRITE ${WORK_DIR}/bad.json "{\"orvelle_form\": 1, \"controls\": [{\"name\": \"a\", \"class\": \"NoSuchClass\"}]}")
expect_status(1 ${WORK_DIR}/bad.json -o ${WORK_DIR}/x.png)

# Forms declaring a form or a control no drawing surface can hold fail with "Out of memory"
# and write no image.
function(expect_out_of_memory name json)
  file(WRITE ${WORK_DIR}/${name}.json "${json}")
  execute_process(COMMAND ${ORVELLE} render ${WORK_DIR}/${name}.json -o ${WORK_DIR}/${name}.png
    RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
  string(FIND "${err}" "error 7: Out of memory" where)
  if(NOT status EQUAL 1 OR where EQUAL -1 OR EXISTS ${WORK_DIR}/${name}.png)
    message(FATAL_ERROR "${name}: exit status ${status}, expected 1 with error 7\n${err}")
  endif()
endfunction()
expect_out_of_memory(huge_form
  "{\"orvelle_form\": 1, \"form\": [{\"key\": \"Width\", \"type\": \"Single\", \"value\": 1e9}]}")
expect_out_of_memory(huge_control
  "{\"orvelle_form\": 1, \"controls\": [{\"name\": \"p\", \"class\": \"PictureBox\", \"width\": 300000, \"height\": 300000}]}")
