# Install rules: the headers under include/ with their repository-relative paths, the three
# libraries, and a CMake package so that other projects can
#   find_package(StatsProvider CONFIG REQUIRED)
#   target_link_libraries(app PRIVATE StatsProvider::stats_provider)
# and, to call between processes, StatsProvider::jorv_remote.

include(CMakePackageConfigHelpers)

set(STATS_PROVIDER_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/StatsProvider)

install(TARGETS jorv_framework stats_provider jorv_remote
        EXPORT StatsProviderTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

foreach(dir framework stats)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
          FILES_MATCHING PATTERN "*.h")
endforeach()

install(EXPORT StatsProviderTargets
        NAMESPACE StatsProvider::
        DESTINATION ${STATS_PROVIDER_CMAKE_DIR})

configure_package_config_file(
  ${CMAKE_CURRENT_LIST_DIR}/StatsProviderConfig.cmake.in
  ${PROJECT_BINARY_DIR}/StatsProviderConfig.cmake
  INSTALL_DESTINATION ${STATS_PROVIDER_CMAKE_DIR})
write_basic_package_version_file(
  ${PROJECT_BINARY_DIR}/StatsProviderConfigVersion.cmake
  VERSION ${PROJECT_VERSION}
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/StatsProviderConfig.cmake
              ${PROJECT_BINARY_DIR}/StatsProviderConfigVersion.cmake
        DESTINATION ${STATS_PROVIDER_CMAKE_DIR})
