# Every layer of the program is one static library made of all the .cpp files of its folder, so that
# a new file needs no edit here. Folders listed in EXCLUDE are built by their own CMakeLists.txt.
# The layers under src/ are recorded in the order they are made, lowest first, for the include check.
function(quillon_layer name dir)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${dir})
  if(NOT folder MATCHES "^\\.\\.")
    set_property(GLOBAL APPEND PROPERTY QUILLON_LAYER_FOLDERS ${folder})
  endif()
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "^${dir}/${excluded}/")
  endforeach()
  # Only the test support library, which lives in tests/, gives that folder to what links it: the
  # program's own layers see src/ alone, so none of them can include a test header.
  set(include_folders ${PROJECT_SOURCE_DIR}/src)
  if(dir MATCHES "^${PROJECT_SOURCE_DIR}/tests/")
    list(APPEND include_folders ${PROJECT_SOURCE_DIR}/tests)
  endif()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    target_include_directories(${name} PUBLIC ${include_folders})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    target_include_directories(${name} INTERFACE ${include_folders})
  endif()
endfunction()

# The window system's runtime folder of the tests lives in the build tree, not in the system's
# temporary folder.
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/runtime)
file(CHMOD ${PROJECT_BINARY_DIR}/runtime PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

# One GoogleTest executable per test folder, made of all its *_test.cpp files.
function(quillon_test_folder name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} quillon_resources quillon_test_support GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE QUILLON_BINARY_DIR="${PROJECT_BINARY_DIR}"
                                             QUILLON_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  # One variable per property: the discovery passes a list value on as separate words, so the second
  # variable of one ENVIRONMENT list would be lost.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES
                       ENVIRONMENT "XDG_RUNTIME_DIR=${PROJECT_BINARY_DIR}/runtime"
                       ENVIRONMENT_MODIFICATION "QT_QPA_PLATFORM=set:offscreen")
endfunction()

# Adds every sub-folder of dir that has a CMakeLists.txt.
function(quillon_add_children dir)
  file(GLOB children LIST_DIRECTORIES true ${dir}/*)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
