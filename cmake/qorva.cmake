# Helpers that keep the folder libraries uniform: every .cpp of a folder belongs to its core
# library, every .cpp of its ui/ subfolder to the Qt library of that folder.

function(qorva_core_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    set(srcs ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

function(qorva_ui_library name)
  if(QORVA_FUZZ)
    return()  # no window in the fuzz build
  endif()
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/ui/*.cpp)
  foreach(x ${ARG_EXCLUDE})
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/ui/${x})
  endforeach()
  if(NOT srcs)
    set(srcs ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} Qt6::Widgets Qt6::PrintSupport)
endfunction()

# One test program per source folder; every TEST becomes its own CTest case.
function(qorva_test_program name)
  cmake_parse_arguments(ARG "QT" "DIR" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs} ${PROJECT_SOURCE_DIR}/tests/test_main.cpp)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    # GCC 12 at -O2 takes the string alternative of a moved scripted answer (std::variant) for
    # uninitialised where it is not; the warning stays on for the program's own code.
    target_compile_options(${name} PRIVATE -Wno-maybe-uninitialized)
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} qorva_testsupport GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    QORVA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QORVA_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/${ARG_DIR}/data"
    QORVA_PYTHON="/usr/bin/python3")
  set(env "LC_ALL=C.UTF-8")
  if(ARG_QT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "${env}"
    DISCOVERY_TIMEOUT 60)
endfunction()
