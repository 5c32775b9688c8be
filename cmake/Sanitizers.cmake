# ZANTHOR_SANITIZE=address;undefined builds everything with those sanitizers.
set(ZANTHOR_SANITIZE "" CACHE STRING "Sanitizers to build with, e.g. address;undefined")

if(ZANTHOR_SANITIZE)
  list(JOIN ZANTHOR_SANITIZE "," _zanthor_sanitizers)
  add_compile_options(-fsanitize=${_zanthor_sanitizers} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${_zanthor_sanitizers})
endif()
