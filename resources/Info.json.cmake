# The bundle's information dictionary, Info.json, built from the VEYRA_* settings of the
# top-level CMakeLists.txt with CMake's own JSON support, so that every value is escaped
# as JSON needs and the file is always valid. A value that cannot be written fails the
# configure.
#
#   include(Info.json.cmake)
#   veyra_write_info_json(<output file>)
#
# The script also runs on its own (the tests do):
#   cmake -DVEYRA_INFO_JSON_OUTPUT=<file> -DVEYRA_...=... -P Info.json.cmake

# Sets `json` to `document` with the string `value` at the member path, after checking
# that the value reads back unchanged.
function(_veyra_info_json_set_string json document setting value)
  string(REPLACE "\\" "\\\\" escaped "${value}")
  string(REPLACE "\"" "\\\"" escaped "${escaped}")
  string(REPLACE "\n" "\\n" escaped "${escaped}")
  string(REPLACE "\r" "\\r" escaped "${escaped}")
  string(REPLACE "\t" "\\t" escaped "${escaped}")
  string(JSON updated ERROR_VARIABLE error SET "${document}" ${ARGN} "\"${escaped}\"")
  if(error)
    message(FATAL_ERROR "Info.json: ${setting} (\"${value}\") cannot be written as JSON: ${error}")
  endif()
  string(JSON written ERROR_VARIABLE error GET "${updated}" ${ARGN})
  if(error OR NOT written STREQUAL value)
    message(FATAL_ERROR "Info.json: ${setting} (\"${value}\") does not survive JSON encoding")
  endif()
  set(${json} "${updated}" PARENT_SCOPE)
endfunction()

function(veyra_write_info_json output)
  # Keys of the dictionary and the settings that fill them.
  set(_strings
    CFBundleIdentifier VEYRA_BUNDLE_IDENTIFIER
    CFBundleName VEYRA_BUNDLE_NAME
    CFBundleDisplayName VEYRA_BUNDLE_DISPLAY_NAME
    CFBundleShortVersionString VEYRA_SHORT_VERSION
    CFBundleVersion VEYRA_BUILD_NUMBER
    TranslationServerBaseURL VEYRA_TRANSLATION_SERVER_BASE_URL
    WebAppBaseURL VEYRA_WEB_APP_BASE_URL
    GIDClientID VEYRA_GID_CLIENT_ID
    GIDClientSecret VEYRA_GID_CLIENT_SECRET
    GIDServerClientID VEYRA_GID_SERVER_CLIENT_ID
    GoogleReversedClientID VEYRA_GOOGLE_REVERSED_CLIENT_ID
    GoogleAuthorizationURL VEYRA_GOOGLE_AUTHORIZATION_URL
    GoogleTokenURL VEYRA_GOOGLE_TOKEN_URL
    MinimumVersionPolicyURL VEYRA_MINIMUM_VERSION_POLICY_URL
    SUFeedURL VEYRA_SU_FEED_URL
    SUPublicEDKey VEYRA_SU_PUBLIC_ED_KEY)

  set(json "{}")
  list(LENGTH _strings _count)
  math(EXPR _last "${_count} - 1")
  foreach(_index RANGE 0 ${_last} 2)
    math(EXPR _settingIndex "${_index} + 1")
    list(GET _strings ${_index} _key)
    list(GET _strings ${_settingIndex} _setting)
    _veyra_info_json_set_string(json "${json}" ${_setting} "${${_setting}}" ${_key})
  endforeach()

  # A boolean in JSON, whichever way the setting was spelt on the command line.
  string(TOUPPER "${VEYRA_GOOGLE_AUTHENTICATION_ENABLED}" _flag)
  if(_flag MATCHES "^(ON|TRUE|1)$")
    set(_enabled true)
  elseif(_flag MATCHES "^(OFF|FALSE|0)$")
    set(_enabled false)
  else()
    message(FATAL_ERROR "Info.json: VEYRA_GOOGLE_AUTHENTICATION_ENABLED must be ON, OFF, true, false, 1 or 0, "
      "not \"${VEYRA_GOOGLE_AUTHENTICATION_ENABLED}\"")
  endif()
  string(JSON json SET "${json}" GoogleAuthenticationEnabled ${_enabled})

  # The URL type of the Google sign-in redirect.
  string(JSON json SET "${json}" CFBundleURLTypes "[{\"CFBundleURLSchemes\": []}]")
  _veyra_info_json_set_string(json "${json}" VEYRA_BUNDLE_IDENTIFIER "${VEYRA_BUNDLE_IDENTIFIER}.google-sign-in"
    CFBundleURLTypes 0 CFBundleURLName)
  _veyra_info_json_set_string(json "${json}" VEYRA_GOOGLE_REVERSED_CLIENT_ID "${VEYRA_GOOGLE_REVERSED_CLIENT_ID}"
    CFBundleURLTypes 0 CFBundleURLSchemes 0)

  # Written only when it changed, so that an unchanged configure rebuilds nothing.
  file(WRITE "${output}.new" "${json}\n")
  file(COPY_FILE "${output}.new" "${output}" ONLY_IF_DIFFERENT)
  file(REMOVE "${output}.new")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  veyra_write_info_json("${VEYRA_INFO_JSON_OUTPUT}")
endif()
