# Writes license.txt: the project's licence, then the third-party notices,
# with each library's own licence header taken from the copy the build ships.
# Called with -DOUT=<file> -DSOURCE_DIR=<repository root>.
file(READ ${SOURCE_DIR}/LICENSE project_license)
file(READ ${SOURCE_DIR}/cmake/ThirdPartyNotices.txt notices)

set(text "${project_license}\n")
string(APPEND text "==============================================================================\n")
string(APPEND text "Third-party components shipped with Drillmora\n")
string(APPEND text "==============================================================================\n\n")

# A page library's licence is the leading comment of its script.
function(append_script_header name path)
  file(READ ${path} content LIMIT 4000)
  string(REGEX MATCH "/\\*[^*]*\\*+([^/*][^*]*\\*+)*/" header "${content}")
  string(REGEX REPLACE "^/\\*+\n?" "" header "${header}")
  string(REGEX REPLACE "\n? *\\*+/$" "" header "${header}")
  string(REGEX REPLACE "(^|\n) ?\\* ?" "\\1" header "${header}")
  string(APPEND text "${name}\n${header}\n\n")
  set(text "${text}" PARENT_SCOPE)
endfunction()

append_script_header("KineticJS 5.1.9 (npm package kinetic)" ${SOURCE_DIR}/node_modules/kinetic/kinetic.js)
string(APPEND text "${notices}")
file(WRITE ${OUT} "${text}")
