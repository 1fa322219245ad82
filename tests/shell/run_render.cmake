# Checks the exit statuses, messages and output files of `orvelle render`.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

# expect_status(STATUS [STDERR substring] ARGS...): the status, and the substring in standard
# error when one is given before the arguments as `SAYS text`.
function(expect_status expected)
  set(args ${ARGN})
  set(says "")
  list(GET args 0 first)
  if(first STREQUAL "SAYS")
    list(GET args 1 says)
    list(REMOVE_AT args 0 1)
  endif()
  execute_process(COMMAND ${ORVELLE} render ${args} RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
  if(NOT status EQUAL expected)
    message(FATAL_ERROR "orvelle render ${args}: exit status ${status}, expected ${expected}\n${err}")
  endif()
  if(says)
    string(FIND "${err}" "${says}" where)
    if(where EQUAL -1)
      message(FATAL_ERROR "orvelle render ${args}: standard error lacks '${says}':\n${err}")
    endif()
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
expect_status(1 SAYS "error 53" ${WORK_DIR}/no_such_form.json -o ${WORK_DIR}/x.png)
expect_status(1 SAYS "is a directory" ${WORK_DIR} -o ${WORK_DIR}/x.png)

# Hostile forms: each fails with status 1 and a message naming the place, never an abort.
set(line "{\"name\": \"a\", \"class\": \"OV3DLine\"")
set(hostile
  "class|{\"orvelle_form\": 1, \"controls\": [{\"name\": \"a\", \"class\": \"NoSuchClass\"}]}|error 429"
  "garbage|garbage|line 1, column 1: not valid JSON (error 321)"
  "array|[1, 2]|a form file holds one JSON object"
  "version|{\"orvelle_form\": 4294967297}|orvelle_form: Overflow (error 6)"
  "control|{\"orvelle_form\": 1, \"controls\": [null]}|controls[0]: must be an object, not null (error 321)"
  "kind|{\"orvelle_form\": 1, \"controls\": [${line}, \"properties\": [{\"key\": \"Orientation\", \"type\": \"Long\", \"value\": [1]}]}]}|controls[0].properties[0].value: must be a number, not an array (error 321)"
  "negative|{\"orvelle_form\": 1, \"controls\": [${line}, \"width\": -5, \"height\": -5}]}|error 380")
foreach(case ${hostile})
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 name)
  list(GET parts 1 text)
  list(GET parts 2 says)
  file(WRITE ${WORK_DIR}/${name}.json "${text}")
  expect_status(1 SAYS "${says}" ${WORK_DIR}/${name}.json -o ${WORK_DIR}/${name}.png)
endforeach()
string(REPEAT "[" 100000 open)
string(REPEAT "]" 100000 close)
file(WRITE ${WORK_DIR}/deep.json "{\"orvelle_form\": 1, \"controls\": ${open}${close}}")
expect_status(1 SAYS "nested deeper than 64 levels" ${WORK_DIR}/deep.json -o ${WORK_DIR}/deep.png)

# A property that fails to load is reported and makes the status 1, and the form is still
# rendered with that key at its default.
file(WRITE ${WORK_DIR}/partial.json "{\"orvelle_form\": 1, \"controls\": [${line}, \"properties\": [
  {\"key\": \"Orientation\", \"type\": \"Long\", \"value\": 1e30},
  {\"key\": \"BackColor\", \"type\": \"Integer\", \"value\": 65537}]}]}")
expect_status(1 SAYS "partial.json: a.ReadProperties.Orientation: error 6: Overflow\n"
              ${WORK_DIR}/partial.json -o ${WORK_DIR}/partial.png)
expect_status(1 SAYS "a.ReadProperties.BackColor: error 6: Overflow" ${WORK_DIR}/partial.json -o ${WORK_DIR}/partial.png)
if(NOT EXISTS ${WORK_DIR}/partial.png)
  message(FATAL_ERROR "orvelle render wrote no partial.png")
endif()

# A form width no drawing surface can hold is a property that fails to load: reported with
# "Out of memory", and the form is rendered at its default width. A control no surface can hold
# cannot be built: the form fails and no image is written.
function(expect_out_of_memory name image json)
  file(WRITE ${WORK_DIR}/${name}.json "${json}")
  file(REMOVE ${WORK_DIR}/${name}.png)
  execute_process(COMMAND ${ORVELLE} render ${WORK_DIR}/${name}.json -o ${WORK_DIR}/${name}.png
    RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
  string(FIND "${err}" "error 7: Out of memory" where)
  if(EXISTS ${WORK_DIR}/${name}.png)
    set(written YES)
  else()
    set(written NO)
  endif()
  if(NOT status EQUAL 1 OR where EQUAL -1 OR NOT written STREQUAL image)
    message(FATAL_ERROR "${name}: exit status ${status}, image written: ${written}; expected 1 with error 7, image ${image}\n${err}")
  endif()
endfunction()
expect_out_of_memory(huge_form YES
  "{\"orvelle_form\": 1, \"form\": [{\"key\": \"Width\", \"type\": \"Single\", \"value\": 1e9}]}")
expect_out_of_memory(huge_control NO
  "{\"orvelle_form\": 1, \"controls\": [{\"name\": \"p\", \"class\": \"PictureBox\", \"width\": 300000, \"height\": 300000}]}")

# A panel saved with a picture its repaint refuses (a cleared picture) is built with what it
# read: its repaint error is one line, the status 1, and the form is still rendered.
file(WRITE ${WORK_DIR}/cleared.json "{\"orvelle_form\": 1, \"controls\": [{\"name\": \"p\", \"class\": \"OVGradientPanel\", \"properties\": [
  {\"key\": \"Picture\", \"type\": \"Picture\", \"empty\": true},
  {\"key\": \"Style\", \"type\": \"Long\", \"value\": 2}]}]}")
file(REMOVE ${WORK_DIR}/cleared.png)
execute_process(COMMAND ${ORVELLE} render ${WORK_DIR}/cleared.json -o ${WORK_DIR}/cleared.png
  RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_QUIET)
string(REGEX MATCHALL "\n" lines "${err}")
list(LENGTH lines line_count)
string(FIND "${err}" "cleared.json: p.Resize: error 481: Invalid picture\n" where)
if(NOT status EQUAL 1 OR where EQUAL -1 OR NOT line_count EQUAL 1 OR NOT EXISTS ${WORK_DIR}/cleared.png)
  message(FATAL_ERROR "cleared picture: exit status ${status}, expected 1, one line naming p.Resize and an image\n${err}")
endif()
