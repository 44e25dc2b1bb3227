# cmake -DSRC=<drawing.svg> -DDST=<out.svg> -DFILL=rrggbb -DSHADE=rrggbb
#       -DLIGHT=rrggbb -DOUTLINE=rrggbb -P RecolourSvg.cmake
# Writes SRC to DST with the four placeholder colours of a field item drawing
# replaced (see fieldItems.txt). The colours come without their '#', which
# would start a comment in a makefile.
foreach(var SRC DST FILL SHADE LIGHT OUTLINE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "RecolourSvg: ${var} is not set")
  endif()
endforeach()

file(READ ${SRC} svg)
# A drawing without the fill placeholder would come out the same in every
# colour; stop rather than ship identical pictures.
string(FIND "${svg}" "#ff00ff" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${SRC}: no #ff00ff fill placeholder, so it cannot be recoloured")
endif()
string(REPLACE "#ff00ff" "#${FILL}" svg "${svg}")
string(REPLACE "#c000c0" "#${SHADE}" svg "${svg}")
string(REPLACE "#ff80ff" "#${LIGHT}" svg "${svg}")
string(REPLACE "#400040" "#${OUTLINE}" svg "${svg}")
file(WRITE ${DST} "${svg}")
