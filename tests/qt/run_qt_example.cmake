# Installs the build into a fresh prefix and builds examples/qt from it as a Qt user would:
# find_package(OrvelleControls REQUIRED COMPONENTS Qt) alone, then runs its --check against the
# prefix's own CLI under a virtual X server.
include(${CMAKE_CURRENT_LIST_DIR}/../support/fresh_prefix.cmake)
foreach(file include/orvelle/qt/controls.h include/orvelle/qt/control_widget.h)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "${file} was not installed")
  endif()
endforeach()
file(GLOB_RECURSE pc_files ${prefix}/*/orvelle-qt.pc)
file(GLOB_RECURSE qt_targets ${prefix}/*/OrvelleControlsQtTargets.cmake)
file(GLOB_RECURSE qt_library ${prefix}/*/libOrvelleQt.so.${VERSION_MAJOR})
if(NOT pc_files OR NOT qt_targets OR NOT qt_library)
  message(FATAL_ERROR "orvelle-qt.pc, OrvelleControlsQtTargets.cmake or libOrvelleQt.so.${VERSION_MAJOR} missing")
endif()

find_program(PKG_CONFIG pkg-config)
if(PKG_CONFIG)
  get_filename_component(pc_dir ${pc_files} DIRECTORY)
  set(ENV{PKG_CONFIG_PATH} ${pc_dir})
  execute_process(COMMAND ${PKG_CONFIG} --cflags --libs orvelle-qt
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT out MATCHES "-lOrvelleQt" OR NOT out MATCHES "pkgconfig/\\.\\./\\.\\./+include")
    message(FATAL_ERROR "pkg-config orvelle-qt (in ${pc_dir}): status ${status}: ${out}${err}")
  endif()
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -S ${EXAMPLE} -B ${WORK_DIR}/example -G Ninja
                        -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_CXX_FLAGS=${EXTRA_CXXFLAGS}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring examples/qt with find_package(OrvelleControls COMPONENTS Qt) failed:\n${out}${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/example RESULT_VARIABLE status OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "building examples/qt failed:\n${out}${err}")
endif()
execute_process(COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" ${WORK_DIR}/example/orvelle_qt_example
                        --check ${prefix}/bin/orvelle
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the example's check failed")
endif()
