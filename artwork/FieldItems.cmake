# Included by artwork/CMakeLists.txt. Renders the field item pictures listed
# in fieldItems.txt: each coloured drawing once per colour, through a copy of
# the SVG whose placeholder colours have been replaced (tools/RecolourSvg.cmake),
# so there is one editable drawing per item type and no hand-made variants.
# Appends the PNGs it produces to `outputs`.

set(field_manifest ${CMAKE_CURRENT_SOURCE_DIR}/fieldItems.txt)
set(recolour_script ${CMAKE_CURRENT_SOURCE_DIR}/tools/RecolourSvg.cmake)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${field_manifest})
file(STRINGS ${field_manifest} field_lines REGEX "^[^#]")

set(field_dir ${ARTWORK_OUTPUT_DIR}/fieldItems)
set(recoloured_dir ${CMAKE_CURRENT_BINARY_DIR}/fieldItems)

# First pass: the palette, as field_colour_<name> = "fill;shade;light;outline"
# with the '#' dropped (it would start a comment in a makefile).
foreach(line ${field_lines})
  string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
  list(GET fields 0 kind)
  if(kind STREQUAL "colour")
    list(LENGTH fields n)
    if(NOT n EQUAL 6)
      message(FATAL_ERROR "fieldItems.txt: expected 'colour <name> <fill> <shade> <light> <outline>' in '${line}'")
    endif()
    list(GET fields 1 name)
    list(SUBLIST fields 2 4 hexes)
    foreach(hex ${hexes})
      if(NOT hex MATCHES "^#[0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F]$")
        message(FATAL_ERROR "fieldItems.txt: '${hex}' is not a #rrggbb colour in '${line}'")
      endif()
    endforeach()
    string(REPLACE "#" "" hexes "${hexes}")
    set(field_colour_${name} "${hexes}")
  elseif(NOT kind STREQUAL "item")
    message(FATAL_ERROR "fieldItems.txt: unknown line '${line}'")
  endif()
endforeach()

# Second pass: the items. Each variant also depends on the manifest, so a
# changed palette renders the pictures again.
foreach(line ${field_lines})
  string(REGEX REPLACE "[ \t]+" ";" fields "${line}")
  list(GET fields 0 kind)
  if(NOT kind STREQUAL "item")
    continue()
  endif()
  list(LENGTH fields n)
  if(n LESS 5)
    message(FATAL_ERROR "fieldItems.txt: expected 'item <source.svg> <prefix> <width> <height> [colour...]' in '${line}'")
  endif()
  list(GET fields 1 src)
  list(GET fields 2 prefix)
  list(GET fields 3 w)
  list(GET fields 4 h)
  set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
  if(n EQUAL 5)
    set(dst ${field_dir}/${prefix})
    add_custom_command(OUTPUT ${dst}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${field_dir}
      COMMAND ${RSVG_CONVERT} -w ${w} -h ${h} -o ${dst} ${src}
      DEPENDS ${src} VERBATIM)
    list(APPEND outputs ${dst})
  else()
    list(SUBLIST fields 5 -1 colours)
    foreach(colour ${colours})
      if(NOT DEFINED field_colour_${colour})
        message(FATAL_ERROR "fieldItems.txt: colour '${colour}' of ${prefix} has no 'colour' line")
      endif()
      list(GET field_colour_${colour} 0 fill)
      list(GET field_colour_${colour} 1 shade)
      list(GET field_colour_${colour} 2 light)
      list(GET field_colour_${colour} 3 outline)
      # playerRed.png: the colour name with its first letter upper-cased.
      string(SUBSTRING ${colour} 0 1 first)
      string(SUBSTRING ${colour} 1 -1 rest)
      string(TOUPPER ${first} first)
      set(name ${prefix}${first}${rest})
      set(svg ${recoloured_dir}/${name}.svg)
      set(dst ${field_dir}/${name}.png)
      add_custom_command(OUTPUT ${dst}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${field_dir} ${recoloured_dir}
        COMMAND ${CMAKE_COMMAND} -DSRC=${src} -DDST=${svg} -DFILL=${fill} -DSHADE=${shade}
                -DLIGHT=${light} -DOUTLINE=${outline} -P ${recolour_script}
        COMMAND ${RSVG_CONVERT} -w ${w} -h ${h} -o ${dst} ${svg}
        DEPENDS ${src} ${recolour_script} ${field_manifest} VERBATIM)
      list(APPEND outputs ${dst})
    endforeach()
  endif()
endforeach()
