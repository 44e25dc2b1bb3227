# Writes license.txt: the project's licence, then the third-party notices,
# with each library's own licence header taken from the copy the build ships.
# Called with -DOUT=<file> -DSOURCE_DIR=<repository root> -DNPM_DIR=<node_modules>.
file(READ ${SOURCE_DIR}/LICENSE project_license)
file(READ ${SOURCE_DIR}/cmake/ThirdPartyNotices.txt notices)

set(text "${project_license}\n")
string(APPEND text "==============================================================================\n")
string(APPEND text "Third-party components shipped with Drillmora\n")
string(APPEND text "==============================================================================\n\n")

# A page library's licence is the first comment of its script (a minified
# script may open with a line of code before it).
function(append_script_header name path)
  file(READ ${path} content LIMIT 4000)
  string(REGEX MATCH "/\\*[^*]*\\*+([^/*][^*]*\\*+)*/" header "${content}")
  string(REGEX REPLACE "^/\\*+( @license)?\n?" "" header "${header}")
  string(REGEX REPLACE "\n? *\\*+/$" "" header "${header}")
  string(REGEX REPLACE "(^|\n) *\\* ?" "\\1" header "${header}")
  string(APPEND text "${name}\n${header}\n\n")
  set(text "${text}" PARENT_SCOPE)
endfunction()

# The full licence text of a package that carries it only in its README, as
# the section headed "## License…".
function(append_readme_licence path)
  file(READ ${path} readme)
  string(REGEX MATCH "\n## Licen[cs]e[^\n]*\n(.*)" section "${readme}")
  string(REGEX REPLACE "\n## .*" "" section "${CMAKE_MATCH_1}")
  string(STRIP "${section}" section)
  # Its paragraphs are wrapped short; one line each reads better in the
  # dialog, which wraps to its own width.
  string(REPLACE "\n\n" "<paragraph>" section "${section}")
  string(REPLACE "\n" " " section "${section}")
  string(REPLACE "<paragraph>" "\n\n" section "${section}")
  string(APPEND text "${section}\n\n")
  set(text "${text}" PARENT_SCOPE)
endfunction()

append_script_header("KineticJS 5.1.9 (npm package kinetic)" ${NPM_DIR}/kinetic/kinetic.js)
append_script_header("jsPDF 1.5.3 (npm package jspdf)" ${NPM_DIR}/jspdf/dist/jspdf.min.js)
append_readme_licence(${NPM_DIR}/jspdf/README.md)
string(APPEND text "${notices}")

# Hard-wrapped prose becomes one line per paragraph, since the licence
# dialog wraps text to its own width and 80-column breaks would leave ragged
# half-lines there. A line is joined to the one before it when that one is
# long (wrapped prose); headings, short lines and indented lines keep their
# breaks.
string(REPLACE ";" "<semicolon>" text "${text}")
string(REPLACE "\n" ";" lines "${text}")
set(out "")
set(previous_length 0)
foreach(line IN LISTS lines)
  string(LENGTH "${line}" length)
  if(previous_length GREATER 60 AND length GREATER 0 AND NOT line MATCHES "^[ =]")
    string(APPEND out " ${line}")
  else()
    string(APPEND out "\n${line}")
  endif()
  set(previous_length ${length})
  if(line MATCHES "^=")
    set(previous_length 0)
  endif()
endforeach()
string(SUBSTRING "${out}" 1 -1 out)
string(REPLACE "<semicolon>" ";" out "${out}")
file(WRITE ${OUT} "${out}\n")
