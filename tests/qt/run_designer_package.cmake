# The controls in Qt Designer as a user meets them, from a fresh install: the plugin in the
# prefix's Qt plugin folder; forms written by the prefix's `orvelle form2ui`; a program built
# against the package that loads them with QUiLoader (given the plugin folder) and compiles one
# with uic; and Designer itself starting with the plugin, with a screenshot of it.
include(${CMAKE_CURRENT_LIST_DIR}/../support/fresh_prefix.cmake)
set(plugins ${prefix}/${QT_PLUGINS_SUBDIR})
if(NOT EXISTS ${plugins}/designer/libOrvelleDesigner.so)
  message(FATAL_ERROR "the plugin was not installed into ${plugins}/designer")
endif()

# Sanitized builds: programs that are not (Designer) need the runtime first.
set(run_environment ${ENVIRONMENT})
if(EXTRA_CXXFLAGS)
  execute_process(COMMAND ${CXX} -print-file-name=libasan.so OUTPUT_VARIABLE libasan OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(preload LD_PRELOAD=${libasan} ASAN_OPTIONS=detect_leaks=0)
endif()

function(run_checked what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}${err}")
  endif()
  set(last_output "${out}${err}" PARENT_SCOPE)
endfunction()

# The forms: all seven controls (a hot label inside the panel), and the showcase; the render
# of the showcase is without its scripted hover, which a loaded form does not have.
set(orvelle ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 ${prefix}/bin/orvelle)
run_checked("orvelle form2ui" ${orvelle} form2ui ${SEVEN_FORM} -o ${WORK_DIR}/seven_controls.ui)
file(READ ${SHOWCASE_FORM} showcase)
string(JSON count LENGTH "${showcase}" controls)
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON events ERROR_VARIABLE none GET "${showcase}" controls ${i} events)
  if(NOT none)
    string(JSON showcase REMOVE "${showcase}" controls ${i} events)
  endif()
endforeach()
get_filename_component(showcase_dir ${SHOWCASE_FORM} DIRECTORY)
file(COPY ${showcase_dir}/pictures DESTINATION ${WORK_DIR})
file(WRITE ${WORK_DIR}/showcase.json "${showcase}")
run_checked("orvelle form2ui" ${orvelle} form2ui ${WORK_DIR}/showcase.json -o ${WORK_DIR}/showcase.ui)
run_checked("orvelle render" ${orvelle} render ${WORK_DIR}/showcase.json -o ${WORK_DIR}/showcase.png)

run_checked("configuring the Designer check against the prefix"
  ${CMAKE_COMMAND} -S ${CHECK_SOURCE} -B ${WORK_DIR}/check -G Ninja -DCMAKE_PREFIX_PATH=${prefix}
  "-DCMAKE_CXX_FLAGS=${EXTRA_CXXFLAGS}" -DUI_FILE=${WORK_DIR}/seven_controls.ui)
run_checked("building the Designer check (uic's code of the form)" ${CMAKE_COMMAND} --build ${WORK_DIR}/check)
run_checked("the Designer check"
  ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" ${WORK_DIR}/check/orvelle_designer_check ${plugins}/designer
  ${WORK_DIR}/seven_controls.ui ${WORK_DIR}/showcase.ui ${WORK_DIR}/showcase.png)
message("${last_output}")

# Designer itself, the form open, the plugin from the prefix; its plugin log must show the
# plugin loaded and no failure.
if(DESIGNER)
  set(shot ${WORK_DIR}/designer.png)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_PLUGIN_PATH=${plugins} QT_DEBUG_PLUGINS=1 QT_QPA_PLATFORM=xcb ${preload}
            ${XVFB_RUN} -a -s "-screen 0 1400x900x24"
            sh -c "\"$0\" \"$1\" & pid=$!; sleep 12; import -window root \"$2\"; kill $pid; wait $pid; exit 0"
            ${DESIGNER} ${WORK_DIR}/seven_controls.ui ${shot}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
  set(log "${out}${err}")
  file(WRITE ${WORK_DIR}/designer.log "${log}")
  if(NOT log MATCHES "libOrvelleDesigner\\.so\" loaded library")
    message(FATAL_ERROR "Designer did not load the plugin (log in ${WORK_DIR}/designer.log)")
  endif()
  string(REGEX MATCHALL "[^\n]*OrvelleDesigner[^\n]*" plugin_lines "${log}")
  foreach(line IN LISTS plugin_lines)
    if(line MATCHES "[Cc]annot load|[Ff]ailed|not a valid|mismatch|[Ee]rror")
      message(FATAL_ERROR "Designer failed on the plugin: ${line}")
    endif()
  endforeach()
  if(log MATCHES "[^\n]*(Cannot load library|QLibraryPrivate::loadPlugin failed)[^\n]*Orvelle[^\n]*")
    message(FATAL_ERROR "Designer failed on the plugin: ${CMAKE_MATCH_0}")
  endif()
  if(NOT EXISTS ${shot})
    message(FATAL_ERROR "no screenshot of Designer was taken")
  endif()
  message("Designer started with the plugin; screenshot ${shot}")
endif()
