# One static library per subsystem: every .cpp/.h in src/<name>/ goes in, so adding a
# file needs no CMake edit.
function(roomvale_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  set(_compiled ${_sources})
  list(FILTER _compiled INCLUDE REGEX "\\.(cpp|qrc)$")
  if(_compiled)
    add_library(roomvale_${name} STATIC ${_sources})
    target_include_directories(roomvale_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(roomvale_${name} PUBLIC ${ARG_DEPS})
  else()
    # A subsystem whose first files have not arrived yet.
    add_library(roomvale_${name} INTERFACE)
    target_include_directories(roomvale_${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(roomvale_${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# Tests of a subsystem: tests/<name>/*_test.cpp form roomvale_<name>_tests (no windows,
# also built with sanitizers); tests/<name>/*_guitest.cpp form roomvale_<name>_guitests.
function(roomvale_tests name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _plain CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB _gui CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_guitest.cpp)
  file(GLOB _extra CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(_plain)
    add_executable(roomvale_${name}_tests ${_plain} ${_extra})
    target_link_libraries(roomvale_${name}_tests PRIVATE roomvale_testmain ${ARG_DEPS})
    gtest_discover_tests(roomvale_${name}_tests DISCOVERY_MODE PRE_TEST
                         PROPERTIES LABELS nongui TIMEOUT 300)
  endif()
  if(_gui AND ROOMVALE_GUI_TESTS)
    add_executable(roomvale_${name}_guitests ${_gui} ${_extra})
    target_link_libraries(roomvale_${name}_guitests PRIVATE roomvale_testmain ${ARG_DEPS})
    gtest_discover_tests(roomvale_${name}_guitests DISCOVERY_MODE PRE_TEST
                         PROPERTIES LABELS gui TIMEOUT 300)
  endif()
endfunction()
