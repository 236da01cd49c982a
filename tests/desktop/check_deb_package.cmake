# Checks the control fields and contents of the Debian package, unpacked in
# ROOT: the library dependencies come from dpkg-shlibdeps, not from a hand
# list, and the package holds the install tree under /usr, with the man page
# compressed, plus Debian's copyright, changelog and lintian overrides.
#   cmake -DDEB=... -DROOT=... -DEXPECTED=installed_files.txt -P check_deb_package.cmake
include(${CMAKE_CURRENT_LIST_DIR}/installed_tree.cmake)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE)

function(control_field name out)
  execute_process(COMMAND dpkg-deb --field "${DEB}" ${name}
                  OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-deb --field ${name} failed")
  endif()
  message(STATUS "${name}: ${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

control_field(Package package)
control_field(Version version)
control_field(Architecture architecture)
control_field(Section section)
control_field(Depends depends)
control_field(Recommends recommends)
control_field(Description description)
if(NOT package STREQUAL "torvel-calculator")
  message(FATAL_ERROR "Package is '${package}'")
endif()
if(NOT version STREQUAL "3.00-1")
  message(FATAL_ERROR "Version is '${version}'")
endif()
if(NOT architecture STREQUAL arch)
  message(FATAL_ERROR "Architecture is '${architecture}', this machine is ${arch}")
endif()
if(NOT section STREQUAL "math")
  message(FATAL_ERROR "Section is '${section}'")
endif()
if(NOT description MATCHES "^Class 4A & 4B Milk Price\n")
  message(FATAL_ERROR "Description does not begin with the program's comment")
endif()

# dpkg-shlibdeps writes versioned library packages; a hand list would not know
# the versions of the symbols the binary actually uses, nor the library's
# package name, which Debian 13 gives a t64 suffix. libcups is loaded only when
# a report is printed, so it must be named by hand; its old name still stands
# for the t64 package, which provides it.
string(REPLACE ", " ";" depends_list "${depends}")
foreach(pattern "^libc6 \\(>= [0-9]" "^libqt6core6(t64)? \\(>= 6\\." "^libqt6widgets6 \\(>= 6\\." "^fonts-liberation$" "^libcups2$")
  set(found FALSE)
  foreach(dep IN LISTS depends_list)
    if(dep MATCHES "${pattern}")
      set(found TRUE)
    endif()
  endforeach()
  if(NOT found)
    message(FATAL_ERROR "Depends lacks ${pattern}: ${depends}")
  endif()
endforeach()
if(NOT recommends STREQUAL "qt6-wayland")
  message(FATAL_ERROR "Recommends is '${recommends}'")
endif()

execute_process(COMMAND dpkg-deb --contents "${DEB}" OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "dpkg-deb --contents failed")
endif()
string(REPLACE "\n" ";" listing "${listing}")
set(packed)
foreach(line IN LISTS listing)
  # Mode, owner, size, date, time, path; directories are implied by the files.
  if(line MATCHES "^([-l][^ ]+) +([^ ]+) +[0-9]+ [^ ]+ [^ ]+ \\./(.+)$")
    list(APPEND packed "${CMAKE_MATCH_3}")
    if(NOT CMAKE_MATCH_2 STREQUAL "root/root")
      message(FATAL_ERROR "${CMAKE_MATCH_3} is owned by ${CMAKE_MATCH_2}")
    endif()
    if(CMAKE_MATCH_3 STREQUAL "usr/bin/torvel-calculator" AND NOT CMAKE_MATCH_1 STREQUAL "-rwxr-xr-x")
      message(FATAL_ERROR "the program is packed as ${CMAKE_MATCH_1}")
    endif()
  endif()
endforeach()
list(SORT packed)
file(STRINGS "${EXPECTED}" expected)
list(TRANSFORM expected PREPEND "usr/")
list(TRANSFORM expected REPLACE "^(usr/share/man/.*)$" "\\1.gz")
list(APPEND expected
     usr/share/doc/torvel-calculator/changelog.Debian.gz
     usr/share/doc/torvel-calculator/copyright
     usr/share/lintian/overrides/torvel-calculator)
list(SORT expected)
if(NOT packed STREQUAL expected)
  message(FATAL_ERROR "package files differ\n  expected: ${expected}\n  packed: ${packed}")
endif()

# A library search path in a system binary is a packaging fault (and lintian's
# custom-library-search-path); the system's Qt is found by the dynamic linker.
execute_process(COMMAND readelf --dynamic "${ROOT}/usr/bin/torvel-calculator"
                OUTPUT_VARIABLE dynamic RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "could not read the packed program")
endif()
if(dynamic MATCHES "R(UN)?PATH")
  message(FATAL_ERROR "the packed program carries a library search path:\n${dynamic}")
endif()

check_installed_tree("${ROOT}/usr")
