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

# A test program compiles with kv_test_support's precompiled GoogleTest
# header (tests/support/CMakeLists.txt).
option(KV_TEST_PCH "Precompile GoogleTest's header for the test programs" ON)
function(kv_reuse_test_pch target)
  if(KV_TEST_PCH)
    target_precompile_headers(${target} REUSE_FROM kv_test_support)
  endif()
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
  kv_reuse_test_pch(${name})
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

# Unity builds (CMAKE_UNITY_BUILD, on in the presets): each target's sources
# are compiled in a few groups, one translation unit per group. A source's
# group is fixed by a hash of its file name, so adding a file or leaving one
# out never moves another: a clash of file-local names (two files' helpers
# of one name) can only appear between the new file and its group.
# The larger targets have a fixed number of groups (below), so that a new
# source joins a group and moves none; the others get one group per
# KV_UNITY_FILES_PER_GROUP sources. Test programs take bigger groups: each of
# their sources parses GoogleTest.
set(KV_UNITY_FILES_PER_GROUP 8 CACHE STRING "Sources per unity group where a target names no number of groups")
set(kv_unity_group_counts
  kv_quorm 8  kv_stages 4  kv_score 4  kv_export 3  kv_reading 3  kv_building 3  kv_shell 4  kv_render 3
  kv_pages 2  kv_support 4
  quorm_tests 9  stages_tests 4  score_tests 4  export_tests 3  reading_tests 2  building_tests 2
  shell_tests 3  render_tests 2  e2e_tests 2  pages_tests 2  platform_tests 2)
while(kv_unity_group_counts)
  list(POP_FRONT kv_unity_group_counts target count)
  set(KV_UNITY_GROUPS_${target} ${count})
endwhile()

# Sources compiled on their own: each defines a file-local name that another
# source of its group defines too, or includes a header that another's
# headers contradict. Paths below the source tree; see cmake/unity-alone.txt.
function(kv_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    kv_targets_below(${sub} sub_targets)
    list(APPEND targets ${sub_targets})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(kv_apply_unity_groups)
  if(NOT CMAKE_UNITY_BUILD)
    return()
  endif()
  file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/unity-alone.txt alone REGEX "^[^#]")
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${CMAKE_SOURCE_DIR}/cmake/unity-alone.txt ${CMAKE_SOURCE_DIR}/tools/unity_groups.py)
  list(TRANSFORM alone PREPEND ${CMAKE_SOURCE_DIR}/)
  kv_targets_below(${CMAKE_SOURCE_DIR} targets)
  set(requests)
  set(unity_dirs)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|EXECUTABLE|OBJECT_LIBRARY)$")
      continue()
    endif()
    get_target_property(unity ${target} UNITY_BUILD)
    if(NOT unity)
      continue()
    endif()
    get_target_property(dir ${target} SOURCE_DIR)
    get_target_property(sources ${target} SOURCES)
    set(cxx)
    foreach(source ${sources})
      if(source MATCHES "^\\$<" OR NOT source MATCHES "\\.(cpp|cxx|cc)$")
        continue()
      endif()
      get_filename_component(path ${source} ABSOLUTE BASE_DIR ${dir})
      list(APPEND cxx ${path})
    endforeach()
    list(LENGTH cxx count)
    if(DEFINED KV_UNITY_GROUPS_${target})
      set(groups ${KV_UNITY_GROUPS_${target}})
    else()
      math(EXPR groups "(${count} + ${KV_UNITY_FILES_PER_GROUP} - 1) / ${KV_UNITY_FILES_PER_GROUP}")
    endif()
    set_target_properties(${target} PROPERTIES UNITY_BUILD_MODE GROUP)
    list(APPEND unity_dirs ${dir})
    foreach(path ${cxx})
      if(path IN_LIST alone)
        set_source_files_properties(${path} DIRECTORY ${dir} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
      else()
        string(APPEND requests "${dir}|${target}|${groups}|${path}\n")
      endif()
    endforeach()
  endforeach()
  # The groups, and the sources whose file-level names meet another's of
  # their group, from tools/unity_groups.py.
  file(WRITE ${CMAKE_BINARY_DIR}/unity-requests.txt "${requests}")
  execute_process(COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/unity_groups.py ${CMAKE_SOURCE_DIR}
                  INPUT_FILE ${CMAKE_BINARY_DIR}/unity-requests.txt
                  OUTPUT_FILE ${CMAKE_BINARY_DIR}/unity-groups.txt
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "tools/unity_groups.py failed")
  endif()
  file(STRINGS ${CMAKE_BINARY_DIR}/unity-groups.txt answers)
  foreach(answer ${answers})
    string(REPLACE "|" ";" fields "${answer}")
    list(GET fields 0 dir)
    list(GET fields 1 path)
    list(LENGTH fields n)
    if(n LESS 3)
      set_source_files_properties(${path} DIRECTORY ${dir} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    else()
      list(GET fields 2 group)
      set_source_files_properties(${path} DIRECTORY ${dir} PROPERTIES UNITY_GROUP ${group})
    endif()
  endforeach()
endfunction()
