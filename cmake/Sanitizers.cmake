# One switch for the sanitizer builds that CI runs.
if(QUINDLE_SANITIZE)
  string(REPLACE "," ";" _quindle_san_list "${QUINDLE_SANITIZE}")
  set(_quindle_san_flags "-fsanitize=${QUINDLE_SANITIZE}" -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_compile_options(${_quindle_san_flags})
  add_link_options(${_quindle_san_flags})
endif()
