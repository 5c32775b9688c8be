# Compiler warnings for the project's own targets; ZANTHOR_WERROR makes them
# errors (on in the developer and CI presets).
option(ZANTHOR_WERROR "Treat warnings as errors" OFF)

function(zanthor_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${ZANTHOR_WERROR}>:/WX>)
  else()
    target_compile_options(${target} PRIVATE
      -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
      -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough
      $<$<BOOL:${ZANTHOR_WERROR}>:-Werror>)
  endif()
endfunction()
