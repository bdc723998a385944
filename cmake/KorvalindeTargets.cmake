# Helpers shared by the folder CMakeLists.

# Sources of a folder: its portable .cpp files, plus those of its win32/ or
# native/ sub-folder according to the build.
function(kv_folder_sources out dir)
  file(GLOB portable CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(KV_WINDOWS)
    file(GLOB side CONFIGURE_DEPENDS ${dir}/win32/*.cpp)
  else()
    file(GLOB side CONFIGURE_DEPENDS ${dir}/native/*.cpp)
  endif()
  set(${out} ${portable} ${side} PARENT_SCOPE)
endfunction()

# One test executable per source folder, one ctest entry per executable (each
# Wine start costs about a second).
function(kv_add_test_exe name)
  cmake_parse_arguments(T "" "" "DIRS;LIBS" ${ARGN})
  set(srcs)
  foreach(d ${T_DIRS})
    kv_folder_sources(s ${d})
    list(APPEND srcs ${s})
  endforeach()
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${T_LIBS} kv_test_support GTest::gtest)
  if(KV_WINDOWS)
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:kv_string_resources>)
  endif()
  if(KV_RUN_TESTS)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    # A hung program fails its test instead of holding up the whole run.
    set_tests_properties(${name} PROPERTIES TIMEOUT 1200
      ENVIRONMENT "KV_SOURCE_DIR=${CMAKE_SOURCE_DIR};KV_BINARY_DIR=${CMAKE_BINARY_DIR}")
    # Under Wine every test program runs in a prefix (registry, C:) and on a
    # display of its own (tools/wine-test.sh, the build's emulator), so
    # ctest may run several at once.
  endif()
endfunction()
