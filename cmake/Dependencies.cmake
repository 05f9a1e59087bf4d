# Every outside library is found here once, as an imported target, so that a
# module's CMakeLists only names what it links.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
pkg_check_modules(PCRE2 REQUIRED IMPORTED_TARGET libpcre2-8)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
pkg_check_modules(EXPAT REQUIRED IMPORTED_TARGET expat)
# pugixml's accessors are tiny and a large sheet calls them tens of millions of
# times: linked statically they are direct calls, not calls through the PLT.
find_package(pugixml CONFIG REQUIRED)
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
pkg_check_modules(ISAL REQUIRED IMPORTED_TARGET libisal)
pkg_check_modules(NETTLE REQUIRED IMPORTED_TARGET nettle)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
if(QUINDLE_TESTS)
  find_package(GTest REQUIRED)
  pkg_check_modules(XLSXWRITER IMPORTED_TARGET xlsxwriter)
endif()
if(QUINDLE_GUI)
  find_package(Qt6 REQUIRED COMPONENTS Widgets DBus Test)
endif()
