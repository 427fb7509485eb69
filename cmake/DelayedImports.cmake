# Import libraries whose DLL is loaded at the first call into it instead of
# at start (what the Microsoft linker calls /DELAYLOAD), made by dlltool from
# the .def files in cmake/delayed/, which list the calls the program makes.
# corvane_delayed_import(<dll> <target>) defines the imported library
# <target> to link instead of <dll>.
get_filename_component(_corvane_bin "${CMAKE_CXX_COMPILER}" DIRECTORY)
string(REGEX REPLACE "-g\\+\\+(-posix)?$" "-dlltool" _corvane_dlltool "${CMAKE_CXX_COMPILER}")
find_program(CORVANE_DLLTOOL NAMES "${_corvane_dlltool}" HINTS "${_corvane_bin}" REQUIRED)

function(corvane_delayed_import dll target)
  set(def "${CMAKE_BINARY_DIR}/delayed/${dll}.def")
  set(lib "${CMAKE_BINARY_DIR}/delayed/lib${dll}_delayed.a")
  file(READ "${PROJECT_SOURCE_DIR}/cmake/delayed/${dll}.def" text)
  set(kill_at)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
  else()
    set(kill_at -k)  # import by the plain name; link by the decorated one
  endif()
  file(WRITE "${def}" "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/cmake/delayed/${dll}.def")
  add_custom_command(OUTPUT "${lib}"
    COMMAND "${CORVANE_DLLTOOL}" ${kill_at} -d "${def}" -y "${lib}"
    DEPENDS "${def}"
    VERBATIM)
  add_custom_target(${target}_lib DEPENDS "${lib}")
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE "${lib}")
  add_dependencies(${target} ${target}_lib)
endfunction()
