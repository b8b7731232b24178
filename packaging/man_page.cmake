# Writes a gzipped man page from a program's help texts with help2man (run with cmake -P).
#   PROGRAM      the built program
#   NAME         the one-line description of the NAME section
#   VERSION      the version shown in the page
#   INCLUDE      a help2man include file with the page's further sections
#   SUBCOMMANDS  (optional) subcommands whose --help texts make a COMMANDS section; one of
#                several words ("history add") is a subcommand of a subcommand
#   HELP2MAN     the help2man program
#   OUTPUT       the page to write, ending in .gz
get_filename_component(program_name "${PROGRAM}" NAME)
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
string(REGEX REPLACE "\\.gz$" "" page "${OUTPUT}")
set(include_file "${page}.h2m")

file(READ "${INCLUDE}" sections)
if(SUBCOMMANDS)
  string(APPEND sections "\n[COMMANDS]\n")
  foreach(command IN LISTS SUBCOMMANDS)
    separate_arguments(words UNIX_COMMAND "${command}")
    execute_process(COMMAND "${PROGRAM}" ${words} --help
      OUTPUT_VARIABLE help RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${program_name} ${command} --help failed: ${status}")
    endif()
    # The texts show as printed: the program's path becomes its name, roff's escapes are escaped.
    string(REPLACE "${PROGRAM}" "${program_name}" help "${help}")
    string(REPLACE "\\" "\\e" help "${help}")
    string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
    string(APPEND sections ".SS ${command}\n.nf\n${help}.fi\n")
  endforeach()
endif()
file(WRITE "${include_file}" "${sections}")

execute_process(
  COMMAND "${HELP2MAN}" --no-info --name=${NAME} --version-string=${VERSION}
          --include=${include_file} --output=${page} "${PROGRAM}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${program_name}: ${status}")
endif()
execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed for ${page}: ${status}")
endif()
