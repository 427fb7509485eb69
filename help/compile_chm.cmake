# Compiles the help project with chmcmd in a staging copy (chmcmd writes beside
# the project) and accepts the result only if chmcmd reported no problem and the
# file is an ITSF (compiled HTML Help) file.
# Inputs: CHMCMD, SOURCE_DIR, STAGE_DIR, OUTPUT.
if(NOT CHMCMD OR NOT EXISTS "${CHMCMD}")
  message(FATAL_ERROR "chmcmd not found: install the Debian package fp-utils (apt-get install fp-utils), then configure again.")
endif()

file(REMOVE_RECURSE "${STAGE_DIR}")
file(COPY "${SOURCE_DIR}/" DESTINATION "${STAGE_DIR}")

execute_process(
  COMMAND "${CHMCMD}" corvane.hhp
  WORKING_DIRECTORY "${STAGE_DIR}"
  RESULT_VARIABLE rc
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
set(log "${out}${err}")

# chmcmd exits 0 even when a page links to a missing file; it only warns.
if(NOT rc EQUAL 0 OR log MATCHES "(^|\n)[^\n]*([Ee]rror|[Ww]arning)")
  message(FATAL_ERROR "chmcmd reported a problem (exit code ${rc}):\n${log}")
endif()

set(chm "${STAGE_DIR}/corvane.chm")
if(NOT EXISTS "${chm}")
  message(FATAL_ERROR "chmcmd wrote no corvane.chm:\n${log}")
endif()
file(READ "${chm}" magic LIMIT 4 HEX)
if(NOT magic STREQUAL "49545346")
  message(FATAL_ERROR "${chm} is not a compiled help file (first bytes ${magic}, expected ITSF)")
endif()

get_filename_component(out_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${out_dir}")
file(COPY_FILE "${chm}" "${OUTPUT}")
