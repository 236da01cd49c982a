# check_installed_tree(<prefix>): the installed files point at each other.
# The menu entry runs the installed binary and names the installed icon, the
# metainfo launches that entry and carries the program's identity, and the
# binary finds every library it needs. Shared by the install and package checks.
function(desktop_key file key out)
  file(STRINGS "${file}" lines REGEX "^${key}=")
  list(LENGTH lines n)
  if(NOT n EQUAL 1)
    message(FATAL_ERROR "${file}: expected one ${key}= line, found ${n}")
  endif()
  string(REGEX REPLACE "^${key}=" "" value "${lines}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

function(check_installed_tree prefix)
  set(binary "${prefix}/bin/torvel-calculator")
  execute_process(COMMAND test -x "${binary}" RESULT_VARIABLE not_executable)
  if(not_executable)
    message(FATAL_ERROR "${binary} is not executable")
  endif()
  file(GET_RUNTIME_DEPENDENCIES EXECUTABLES "${binary}"
       RESOLVED_DEPENDENCIES_VAR resolved UNRESOLVED_DEPENDENCIES_VAR unresolved)
  if(unresolved)
    message(FATAL_ERROR "installed binary needs libraries that are not found: ${unresolved}")
  endif()

  set(desktop "${prefix}/share/applications/org.torvel.Calculator.desktop")
  desktop_key("${desktop}" Exec exec)
  if(NOT EXISTS "${prefix}/bin/${exec}")
    message(FATAL_ERROR "Exec=${exec} is not an installed program")
  endif()
  desktop_key("${desktop}" Icon icon)
  if(NOT EXISTS "${prefix}/share/icons/hicolor/scalable/apps/${icon}.svg")
    message(FATAL_ERROR "Icon=${icon} has no installed scalable icon")
  endif()
  desktop_key("${desktop}" Name name)
  desktop_key("${desktop}" Comment comment)
  if(NOT name STREQUAL "Torvel Calculator" OR NOT comment STREQUAL "Class 4A & 4B Milk Price")
    message(FATAL_ERROR "menu entry reads '${name}' / '${comment}'")
  endif()

  file(READ "${prefix}/share/metainfo/org.torvel.Calculator.metainfo.xml" metainfo)
  foreach(needle
      "<id>org.torvel.Calculator</id>"
      "<launchable type=\"desktop-id\">org.torvel.Calculator.desktop</launchable>"
      "<summary>Class 4A &amp; 4B Milk Price</summary>"
      "<project_license>MIT</project_license>"
      "<release version=\"3.00\""
      "Class 4A &amp; 4B Milk Price (Last updated 12/05/07)")
    string(FIND "${metainfo}" "${needle}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "metainfo lacks ${needle}")
    endif()
  endforeach()
endfunction()
