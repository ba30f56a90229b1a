# Copies into the site what the page loads besides the modules and its own
# files (web/CMakeLists.txt copies those):
#   etc/opcodes.txt               the opcode table pass 1 reads
#   examples/*.asm, *.regs        the shipped examples
#   examples/index.json           one entry per example, for the page's menu:
#     {"name": "countdown", "source": "countdown.asm",
#      "registers": "countdown.regs" or null, "summary": "counts from ..."}
#
#   cmake -DSOURCE_DIR=<source> -DSITE_DIR=<site> -P CopySiteFiles.cmake

if(NOT SOURCE_DIR OR NOT SITE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<source> -DSITE_DIR=<site> -P CopySiteFiles.cmake")
endif()

file(MAKE_DIRECTORY ${SITE_DIR}/etc ${SITE_DIR}/examples)
file(COPY ${SOURCE_DIR}/etc/opcodes.txt DESTINATION ${SITE_DIR}/etc)

# Text as a JSON string.
function(json_string text out)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "\t" " " text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# The example's summary: its opening comment paragraph up to the first full
# stop, without the "name.asm:" it starts with.
function(example_summary path out)
  # Read as one text: lines read as a list would split at every semicolon.
  file(READ ${path} text)
  string(REGEX MATCH "^(;[^\n]*\n)+" comment "${text}")
  string(REGEX REPLACE "(^|\n);[ \t]*" " " summary "${comment}")
  string(STRIP "${summary}" summary)
  get_filename_component(name ${path} NAME)
  string(REGEX REPLACE "^${name}:[ ]*" "" summary "${summary}")
  string(FIND "${summary}" ". " stop)
  if(stop GREATER -1)
    math(EXPR stop "${stop} + 1")
    string(SUBSTRING "${summary}" 0 ${stop} summary)
  endif()
  set(${out} "${summary}" PARENT_SCOPE)
endfunction()

file(GLOB sources ${SOURCE_DIR}/examples/*.asm)
list(SORT sources)
set(body "")
set(separator "")
foreach(source IN LISTS sources)
  get_filename_component(name ${source} NAME_WE)
  # The contents, never a link: a link in the site would lead out of it.
  file(COPY_FILE ${source} ${SITE_DIR}/examples/${name}.asm ONLY_IF_DIFFERENT)
  set(registers null)
  if(EXISTS ${SOURCE_DIR}/examples/${name}.regs)
    file(COPY_FILE ${SOURCE_DIR}/examples/${name}.regs ${SITE_DIR}/examples/${name}.regs ONLY_IF_DIFFERENT)
    set(registers "\"${name}.regs\"")
  endif()
  example_summary(${source} summary)
  json_string("${summary}" summary)
  # Built by appending text: a summary may hold semicolons, which a CMake
  # list would split.
  string(APPEND body "${separator}  {\"name\": \"${name}\", \"source\": \"${name}.asm\", "
         "\"registers\": ${registers}, \"summary\": ${summary}}")
  set(separator ",\n")
endforeach()
file(WRITE ${SITE_DIR}/examples/index.json.new "[\n${body}\n]\n")
file(COPY_FILE ${SITE_DIR}/examples/index.json.new ${SITE_DIR}/examples/index.json ONLY_IF_DIFFERENT)
file(REMOVE ${SITE_DIR}/examples/index.json.new)
