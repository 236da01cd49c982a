# Installs the build into a fresh temporary prefix and checks that it holds
# exactly the expected files and that they point at each other: the menu entry
# runs the installed binary and names the installed icon, and the metainfo
# launches that entry.
#   cmake -DBUILD_DIR=... -DPREFIX=... -DEXPECTED=installed_files.txt -P check_install_tree.cmake
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

set(binary "${PREFIX}/bin/torvel-calculator")
file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${binary}"
     RESOLVED_DEPENDENCIES_VAR resolved UNRESOLVED_DEPENDENCIES_VAR unresolved)
if(unresolved)
  message(FATAL_ERROR "installed binary needs libraries that are not found: ${unresolved}")
endif()
execute_process(COMMAND test -x "${binary}" RESULT_VARIABLE not_executable)
if(not_executable)
  message(FATAL_ERROR "${binary} is not executable")
endif()

function(desktop_key file key out)
  file(STRINGS "${file}" lines REGEX "^${key}=")
  list(LENGTH lines n)
  if(NOT n EQUAL 1)
    message(FATAL_ERROR "${file}: expected one ${key}= line, found ${n}")
  endif()
  string(REGEX REPLACE "^${key}=" "" value "${lines}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

set(desktop "${PREFIX}/share/applications/org.torvel.Calculator.desktop")
desktop_key("${desktop}" Exec exec)
if(NOT EXISTS "${PREFIX}/bin/${exec}")
  message(FATAL_ERROR "Exec=${exec} is not an installed program")
endif()
desktop_key("${desktop}" Icon icon)
if(NOT EXISTS "${PREFIX}/share/icons/hicolor/scalable/apps/${icon}.svg")
  message(FATAL_ERROR "Icon=${icon} has no installed scalable icon")
endif()
desktop_key("${desktop}" Name name)
desktop_key("${desktop}" Comment comment)
if(NOT name STREQUAL "Torvel Calculator" OR NOT comment STREQUAL "Class 4A & 4B Milk Price")
  message(FATAL_ERROR "menu entry reads '${name}' / '${comment}'")
endif()

file(READ "${PREFIX}/share/metainfo/org.torvel.Calculator.metainfo.xml" metainfo)
foreach(needle
    "<id>org.torvel.Calculator</id>"
    "<launchable type=\"desktop-id\">org.torvel.Calculator.desktop</launchable>"
    "<summary>Class 4A &amp; 4B Milk Price</summary>"
    "<release version=\"3.00\"")
  string(FIND "${metainfo}" "${needle}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "metainfo lacks ${needle}")
  endif()
endforeach()
