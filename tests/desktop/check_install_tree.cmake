# Installs the build into a fresh temporary prefix and checks that it holds
# exactly the expected files and that they point at each other.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECTED=installed_files.txt -P check_install_tree.cmake
include(${CMAKE_CURRENT_LIST_DIR}/installed_tree.cmake)

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed with ${rc}")
endif()

file(STRINGS "${EXPECTED}" expected)
list(SORT expected)
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" LIST_DIRECTORIES false "${PREFIX}/*")
list(SORT installed)
if(NOT installed STREQUAL expected)
  message(FATAL_ERROR "installed files differ\n  expected: ${expected}\n  installed: ${installed}")
endif()

check_installed_tree("${PREFIX}")
