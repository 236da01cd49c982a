# Validates the metainfo as strictly as appstreamcli can: any issue above the
# pedantic hints fails. AppStream 1.0 asks for <developer> in place of the
# <developer_name> it now deprecates, and AppStream before 1.0 reports that
# newer tag as unknown; that one report, from such a validator only, is the
# validator's age rather than a fault of the file.
#   cmake -DMETAINFO=... -P check_metainfo.cmake
execute_process(COMMAND appstreamcli --version OUTPUT_VARIABLE version RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "appstreamcli --version failed")
endif()
string(REGEX MATCH "[0-9]+(\\.[0-9]+)+" version "${version}")
message("AppStream ${version}")

execute_process(COMMAND appstreamcli validate --no-net --strict --explain "${METAINFO}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(rc EQUAL 0)
  return()
endif()

string(REGEX MATCHALL "(^|\n)[EWI]: [^\n]*" issues "${out}")
if(NOT issues)
  message(FATAL_ERROR "appstreamcli exited with ${rc} without naming an issue")
endif()
foreach(issue IN LISTS issues)
  string(STRIP "${issue}" issue)
  if(version VERSION_LESS 1.0 AND issue MATCHES "^I: [^ ]+ unknown-tag developer$")
    continue()
  endif()
  message(FATAL_ERROR "appstreamcli exited with ${rc}: ${issue}")
endforeach()
