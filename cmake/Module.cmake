# quindle_module(NAME DEPS...): a static library from every .cpp below
# src/NAME, linked to the listed targets. Sources are globbed so that adding a
# file needs no edit here.
function(quindle_module name)
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(_src)
    add_library(quindle_${name} STATIC ${_src})
    target_include_directories(quindle_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(quindle_${name} PUBLIC ${ARGN})
  else()  # a module that has only headers so far
    add_library(quindle_${name} INTERFACE)
    target_include_directories(quindle_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(quindle_${name} INTERFACE ${ARGN})
  endif()
endfunction()

# quindle_tests(MODULE DEPS...): every .cpp below tests/MODULE (sub-folders
# mirror those of src/MODULE) becomes part of test_MODULE, except those in a
# threaded/ folder: they become test_MODULE_threaded, labelled "threaded" so
# that CI can run them again under ThreadSanitizer.
function(quindle_tests module)
  file(GLOB_RECURSE _all RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(_threaded ${_all})
  list(FILTER _threaded INCLUDE REGEX "(^|/)threaded/")
  set(_plain ${_all})
  list(FILTER _plain EXCLUDE REGEX "(^|/)threaded/")
  list(TRANSFORM _threaded PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  list(TRANSFORM _plain PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
  if(_plain)
    add_executable(test_${module} ${_plain})
    target_link_libraries(test_${module} PRIVATE ${ARGN} quindle_testsupport GTest::gtest_main GTest::gmock)
    gtest_discover_tests(test_${module} DISCOVERY_MODE PRE_TEST PROPERTIES LABELS ${module})
  endif()
  if(_threaded)
    add_executable(test_${module}_threaded ${_threaded})
    add_dependencies(threaded_tests test_${module}_threaded)
    target_link_libraries(test_${module}_threaded PRIVATE ${ARGN} quindle_testsupport GTest::gtest_main GTest::gmock)
    # One label only: a list value would be split into further properties.
    gtest_discover_tests(test_${module}_threaded DISCOVERY_MODE PRE_TEST PROPERTIES LABELS threaded)
  endif()
endfunction()
