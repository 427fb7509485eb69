# Authenticode signatures on what ships: corvane.exe, corvane.com, both cvblock.dll, and the
# installer and its uninstaller (installer/). scripts/sign.sh signs with osslsigncode when the
# environment names a certificate at configure time:
#   CORVANE_SIGN_PFX        the PKCS#12 file (the password, CORVANE_SIGN_PASSWORD, is read from
#                           the environment only when a file is signed, and never stored)
#   CORVANE_SIGN_TIMESTAMP  a timestamp server's URL, optional
# Without a certificate the files are built unsigned, which configuring says in one line.
include_guard(GLOBAL)

if(NOT DEFINED CORVANE_SIGN_PFX)
  set(CORVANE_SIGN_PFX "$ENV{CORVANE_SIGN_PFX}")
endif()
if(NOT DEFINED CORVANE_SIGN_TIMESTAMP)
  set(CORVANE_SIGN_TIMESTAMP "$ENV{CORVANE_SIGN_TIMESTAMP}")
endif()
if(CORVANE_SIGN_PFX AND NOT (IS_ABSOLUTE "${CORVANE_SIGN_PFX}" AND EXISTS "${CORVANE_SIGN_PFX}"))
  message(FATAL_ERROR "CORVANE_SIGN_PFX names no file by its absolute path: ${CORVANE_SIGN_PFX}")
endif()
set(CORVANE_SIGN_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/../scripts/sign.sh)
# The command that signs the files given after it, in place.
set(CORVANE_SIGN_COMMAND ${CMAKE_COMMAND} -E env "CORVANE_SIGN_PFX=${CORVANE_SIGN_PFX}"
    "CORVANE_SIGN_TIMESTAMP=${CORVANE_SIGN_TIMESTAMP}" bash ${CORVANE_SIGN_SCRIPT})
# Said once, by the whole project (the installer builds the other width's cvblock.dll as a
# project of its own, told the same).
if(CMAKE_PROJECT_NAME STREQUAL "Corvane")
  if(CORVANE_SIGN_PFX)
    message(STATUS "Signing what ships with ${CORVANE_SIGN_PFX}")
  else()
    message(STATUS "Building unsigned: no code-signing certificate named (CORVANE_SIGN_PFX)")
  endif()
endif()

# Signs a target's file once it is linked; a new certificate in the file links it again.
function(corvane_sign target)
  if(CORVANE_SIGN_PFX)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${CORVANE_SIGN_PFX})
    add_custom_command(TARGET ${target} POST_BUILD COMMAND ${CORVANE_SIGN_COMMAND} $<TARGET_FILE:${target}> VERBATIM)
  endif()
endfunction()
