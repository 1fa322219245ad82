# What `cmake --install` puts in place besides the targets' own install rules: the CMake package
# OrvelleControls (config, version file, exported targets under the Orvelle:: namespace) and
# the generated version header.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ORVELLE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/OrvelleControls)
install(EXPORT OrvelleControlsTargets NAMESPACE Orvelle:: DESTINATION ${ORVELLE_PACKAGE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/OrvelleControlsConfig.cmake.in
  ${CMAKE_BINARY_DIR}/package/OrvelleControlsConfig.cmake INSTALL_DESTINATION ${ORVELLE_PACKAGE_DIR})
# Before 1.0 a minor version may change the interface, so only the same minor version is
# compatible.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/package/OrvelleControlsConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/package/OrvelleControlsConfig.cmake
              ${CMAKE_BINARY_DIR}/package/OrvelleControlsConfigVersion.cmake
        DESTINATION ${ORVELLE_PACKAGE_DIR})
install(FILES ${ORVELLE_GENERATED_INCLUDE}/orvelle/version.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvelle)
