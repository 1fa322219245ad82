# Installs the build into a fresh prefix, compiles the sample host with nothing but what
# pkg-config reports for the installed library, and runs it against the installed library.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/prefix
                RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${err}")
endif()
file(GLOB_RECURSE pc_files ${WORK_DIR}/prefix/*/orvelle.pc)
if(NOT pc_files)
  message(FATAL_ERROR "no orvelle.pc installed")
endif()
list(GET pc_files 0 pc_file)
get_filename_component(pc_dir ${pc_file} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pc_dir})
execute_process(COMMAND pkg-config --cflags --libs orvelle OUTPUT_VARIABLE flags RESULT_VARIABLE status
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pkg-config does not know the installed orvelle")
endif()
separate_arguments(flags UNIX_COMMAND "${flags}")
separate_arguments(extra UNIX_COMMAND "${EXTRA_CFLAGS}")
execute_process(COMMAND ${CC} ${extra} -o ${WORK_DIR}/sample_host ${SAMPLE} ${flags} -ldl
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the sample host does not compile against the installed header:\n${err}")
endif()
get_filename_component(libdir ${pc_dir} DIRECTORY)
file(GLOB library ${libdir}/libOrvelleControls.so)
if(NOT library)
  message(FATAL_ERROR "no libOrvelleControls.so in ${libdir}")
endif()
# The prefix is not one the dynamic loader searches, as for any library installed in a home.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${libdir} ${WORK_DIR}/sample_host ${library} ${WORK_DIR}
                RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed sample host failed:\n${out}\n${err}")
endif()
