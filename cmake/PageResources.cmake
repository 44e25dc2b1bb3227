# Builds the object library `drillmora_resources`: one generated .qrc holding
# the editor page under the prefix "Resources/", compiled by rcc.
#
# Page sources are listed by glob, so a new script or style sheet needs a
# re-run of cmake (the build scripts always run it).

set(PAGE_SOURCE_DIR ${CMAKE_SOURCE_DIR}/Resources)
# scripts/install-dependencies.sh puts the npm packages there (outside a
# read-only checkout when DRILLMORA_BUILD_ROOT says so; scripts/build.sh
# passes the folder on).
set(DRILLMORA_NPM_DIR ${CMAKE_SOURCE_DIR}/node_modules CACHE PATH "The folder npm installed the page libraries into")
set(NPM_DIR ${DRILLMORA_NPM_DIR})

set(KINETIC_JS ${NPM_DIR}/kinetic/kinetic.js)
# The same release minified by its authors: the drill exported as a web page
# carries it, where every kilobyte is the player's to download.
set(KINETIC_MIN_JS ${NPM_DIR}/kinetic/kinetic.min.js)
set(JSPDF_JS ${NPM_DIR}/jspdf/dist/jspdf.min.js)
set(JSPDF_README ${NPM_DIR}/jspdf/README.md)
foreach(library ${KINETIC_JS} ${KINETIC_MIN_JS} ${JSPDF_JS})
  if(NOT EXISTS ${library})
    message(FATAL_ERROR "${library} is missing: run scripts/install-dependencies.sh")
  endif()
endforeach()

set(LIBERATION_DIR /usr/share/fonts/truetype/liberation)
foreach(face Regular Bold)
  if(NOT EXISTS ${LIBERATION_DIR}/LiberationSans-${face}.ttf)
    message(FATAL_ERROR "Liberation Sans ${face} is missing: install the Debian package fonts-liberation")
  endif()
endforeach()

# The drill's web page carries the faces cut down to the characters of
# Europe's scripts, as WOFF: whole, Debian 13's Liberation Sans would make
# 0.8 MB of a page that should stay near 1 MB.
find_program(PYFTSUBSET pyftsubset)
if(NOT PYFTSUBSET)
  message(FATAL_ERROR "pyftsubset is missing: install the Debian package fonttools")
endif()
set(WEB_FONT_DIR ${CMAKE_BINARY_DIR}/web-fonts)
set(WEB_FONT_CHARACTERS "U+0020-007E,U+00A0-024F,U+0300-036F,U+0370-03FF,U+0400-04FF,U+1E00-1EFF,U+2000-206F,U+20A0-20CF,U+2100-214F,U+2190-21FF,U+2212")

file(GLOB_RECURSE page_files RELATIVE ${PAGE_SOURCE_DIR} CONFIGURE_DEPENDS ${PAGE_SOURCE_DIR}/*)

set(qrc_entries "")
set(qrc_depends "")
macro(add_qrc_entry alias path)
  string(APPEND qrc_entries "    <file alias=\"Resources/${alias}\">${path}</file>\n")
  list(APPEND qrc_depends ${path})
endmacro()

foreach(f ${page_files})
  add_qrc_entry(${f} ${PAGE_SOURCE_DIR}/${f})
endforeach()
add_qrc_entry(kinetic.js ${KINETIC_JS})
add_qrc_entry(kinetic.min.js ${KINETIC_MIN_JS})
add_qrc_entry(jspdf.js ${JSPDF_JS})
add_qrc_entry(fonts/LiberationSans-Regular.ttf ${LIBERATION_DIR}/LiberationSans-Regular.ttf)
add_qrc_entry(fonts/LiberationSans-Bold.ttf ${LIBERATION_DIR}/LiberationSans-Bold.ttf)
foreach(face Regular Bold)
  set(web_font ${WEB_FONT_DIR}/LiberationSans-${face}.woff)
  add_custom_command(
    OUTPUT ${web_font}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${WEB_FONT_DIR}
    COMMAND ${PYFTSUBSET} ${LIBERATION_DIR}/LiberationSans-${face}.ttf --unicodes=${WEB_FONT_CHARACTERS}
            --layout-features=* --no-hinting --drop-tables+=FFTM --flavor=woff --output-file=${web_font}
    DEPENDS ${LIBERATION_DIR}/LiberationSans-${face}.ttf
    COMMENT "Cutting Liberation Sans ${face} down for the drill's web page"
    VERBATIM)
  add_qrc_entry(fonts/web/LiberationSans-${face}.woff ${web_font})
endforeach()

get_property(artwork_files GLOBAL PROPERTY DRILLMORA_ARTWORK_FILES)
foreach(f ${artwork_files})
  file(RELATIVE_PATH rel ${ARTWORK_OUTPUT_DIR} ${f})
  add_qrc_entry(${rel} ${f})
endforeach()

set(qrc_file ${CMAKE_BINARY_DIR}/resources.qrc)
file(WRITE ${qrc_file}.in "<!DOCTYPE RCC><RCC version=\"1.0\">\n  <qresource prefix=\"/\">\n${qrc_entries}  </qresource>\n</RCC>\n")
configure_file(${qrc_file}.in ${qrc_file} COPYONLY)

set(qrc_cpp ${CMAKE_BINARY_DIR}/qrc_resources.cpp)
add_custom_command(
  OUTPUT ${qrc_cpp}
  COMMAND ${DRILLMORA_QT}::rcc --name resources --output ${qrc_cpp} ${qrc_file}
  DEPENDS ${qrc_file} ${qrc_depends} artwork
  COMMENT "Packing the editor page into the program's resources"
  VERBATIM)

# An object library so every executable that links it gets the resources
# registered by static initialisation, without Q_INIT_RESOURCE calls.
add_library(drillmora_resources OBJECT ${qrc_cpp})
target_link_libraries(drillmora_resources PRIVATE ${DRILLMORA_QT}::Core)

# license.txt beside the program: the project's licence, then the notices of
# the third-party components the program ships.
set(LICENSE_OUT ${CMAKE_BINARY_DIR}/host/license.txt)
add_custom_command(
  OUTPUT ${LICENSE_OUT}
  COMMAND ${CMAKE_COMMAND} -DOUT=${LICENSE_OUT} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DNPM_DIR=${NPM_DIR}
          -P ${CMAKE_SOURCE_DIR}/cmake/AssembleLicense.cmake
  DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_SOURCE_DIR}/cmake/AssembleLicense.cmake
          ${CMAKE_SOURCE_DIR}/cmake/ThirdPartyNotices.txt ${KINETIC_JS} ${JSPDF_JS} ${JSPDF_README}
  COMMENT "Writing license.txt"
  VERBATIM)
add_custom_target(license_text ALL DEPENDS ${LICENSE_OUT})
